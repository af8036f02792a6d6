#include "ground.h"

#define STB_PERLIN_IMPLEMENTATION
#include <stb_perlin.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace bake {

namespace {

struct Colour {
  double r, g, b;
};

Colour mix(Colour a, Colour b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour shade(Colour c, double factor) {
  return {c.r * factor, c.g * factor, c.b * factor};
}

double smoothstep(double edge0, double edge1, double x) {
  double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

// Fractal noise in about -1..1; `layer` keeps unrelated features apart.
double fbm(double x, double y, double scale, int octaves, int seed, int layer) {
  return stb_perlin_fbm_noise3(static_cast<float>(x / scale), static_cast<float>(y / scale),
                               static_cast<float>(seed * 7.31 + layer * 13.7), 2.0f, 0.5f, octaves);
}

double segment_distance(double px, double py, double ax, double ay, double bx, double by) {
  double dx = bx - ax, dy = by - ay;
  double length2 = dx * dx + dy * dy;
  double t =
      length2 > 0.0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0) : 0.0;
  double cx = ax + t * dx - px, cy = ay + t * dy - py;
  return std::sqrt(cx * cx + cy * cy);
}

uint32_t hash2(int a, int b, int seed) {
  uint32_t h = static_cast<uint32_t>(a) * 0x8da6b343u ^ static_cast<uint32_t>(b) * 0xd8163841u ^
               static_cast<uint32_t>(seed) * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  return h ^ (h >> 15);
}

// Everything a painter needs about the layout at one map point.
struct Layout {
  double offset;
  int seed;

  // Distance to the nearest base centre, its edge wobbled a little.
  double base_distance(double x, double y) const {
    double best = 1e9;
    for (int sx : {-1, 1}) {
      for (int sy : {-1, 1}) {
        double dx = x - sx * offset, dy = y - sy * offset;
        best = std::min(best, std::max(std::fabs(dx), std::fabs(dy)));
      }
    }
    return best + 8.0 * fbm(x, y, 40.0, 2, seed, 9);
  }

  // Distance to the roads: from every base to the middle, wavering.
  double road_distance(double x, double y) const {
    double wx = x + 10.0 * fbm(x, y, 160.0, 2, seed, 5);
    double wy = y + 10.0 * fbm(x, y, 160.0, 2, seed, 6);
    double best = 1e9;
    for (int sx : {-1, 1}) {
      for (int sy : {-1, 1}) {
        best = std::min(best, segment_distance(wx, wy, sx * offset, sy * offset, 0.0, 0.0));
      }
    }
    return best;
  }
};

// The cleared ground of a base: trodden earth or gravel with a soft edge.
Colour paint_pad(Colour c, Colour pad, double base_distance, double x, double y, int seed) {
  if (base_distance >= 58.0) return c;
  Colour trodden = shade(pad, 1.0 + 0.07 * fbm(x, y, 9.0, 3, seed, 11));
  return mix(c, trodden, smoothstep(58.0, 48.0, base_distance));
}

Colour paint_temperate(double x, double y, const Layout& layout) {
  const int seed = layout.seed;
  // Patchwork of fields with hedges between them.
  double fx = x + 25.0 * fbm(x, y, 300.0, 2, seed, 1);
  double fy = y + 25.0 * fbm(x, y, 300.0, 2, seed, 2);
  double field_size = 120.0;
  int bx = static_cast<int>(std::floor(fx / field_size));
  int by = static_cast<int>(std::floor(fy / field_size));
  uint32_t h = hash2(bx, by, seed);
  static constexpr std::array<Colour, 5> kFields = {
      {{98, 124, 70}, {118, 132, 76}, {132, 122, 84}, {86, 112, 66}, {124, 138, 86}}};
  Colour c = kFields[h % kFields.size()];
  if (h % kFields.size() == 2) {  // ploughed: faint furrows
    double angle = (h >> 8) % 2 == 0 ? x : y;
    c = shade(c, 1.0 + 0.05 * std::sin(angle * 1.6));
  }
  c = shade(c, 1.0 + 0.08 * fbm(x, y, 60.0, 3, seed, 3));
  double edge_x = std::fabs(fx / field_size - std::round(fx / field_size)) * field_size;
  double edge_y = std::fabs(fy / field_size - std::round(fy / field_size)) * field_size;
  double hedge = std::min(edge_x, edge_y);
  double bush = fbm(x, y, 6.0, 2, seed, 4);
  double hedge_width = 1.4 + 1.2 * bush;
  c = mix(c, {66, 90, 56}, 0.75 * smoothstep(hedge_width + 0.5, hedge_width - 0.5, hedge));

  // A river wandering north to south through the middle, with sandy banks.
  double river_x = 28.0 * std::sin(y / 95.0) + 45.0 * fbm(0.0, y, 220.0, 3, seed, 7);
  double river = std::fabs(x - river_x) - (11.0 + 3.0 * fbm(x, y, 50.0, 2, seed, 8));
  if (river < 4.0) c = mix(c, {150, 140, 100}, smoothstep(4.0, 1.0, river));
  if (river < 0.6) {
    Colour water = mix({70, 104, 122}, {52, 84, 106}, smoothstep(0.0, -8.0, river));
    c = mix(c, shade(water, 1.0 + 0.05 * fbm(x, y, 8.0, 2, seed, 10)),
            smoothstep(0.6, -0.6, river));
  }

  double base = layout.base_distance(x, y);
  c = paint_pad(c, {132, 124, 98}, base, x, y, seed);
  double road = layout.road_distance(x, y);
  if (road < 5.0) c = mix(c, {88, 80, 64}, smoothstep(5.0, 4.0, road));
  if (road < 4.0) c = mix(c, {150, 140, 114}, smoothstep(4.0, 3.0, road));
  return c;
}

Colour paint_desert(double x, double y, const Layout& layout) {
  const int seed = layout.seed;
  Colour c = mix({182, 152, 108}, {160, 128, 90}, 0.5 + 0.5 * fbm(x, y, 260.0, 3, seed, 1));
  double ripple = std::sin((x * 0.8 + y * 0.6) * 0.25 + 6.0 * fbm(x, y, 90.0, 2, seed, 2));
  c = shade(c, 1.0 + 0.035 * ripple);

  // Dry river beds: a meandering network where the noise crosses zero.
  double bed = std::fabs(fbm(x, y, 330.0, 3, seed, 3));
  if (bed < 0.045) {
    Colour cracked = mix({196, 178, 142}, {176, 158, 124}, 0.5 + 0.5 * fbm(x, y, 5.0, 2, seed, 4));
    c = mix(c, cracked, smoothstep(0.045, 0.025, bed));
  }

  double base = layout.base_distance(x, y);
  double road = layout.road_distance(x, y);
  // Rock outcrops, kept off the bases and the tracks, shaded as if lit from the north-west.
  double ridge = 1.0 - std::fabs(fbm(x, y, 140.0, 4, seed, 5));
  double keep_clear = std::min(smoothstep(80.0, 110.0, base), smoothstep(14.0, 30.0, road));
  double rock = ridge * keep_clear;
  if (rock > 0.885) {
    double light = fbm(x - 3.0, y + 3.0, 140.0, 4, seed, 5) - fbm(x, y, 140.0, 4, seed, 5);
    Colour stone = shade({118, 94, 74}, 1.0 + 2.5 * light + 0.08 * fbm(x, y, 7.0, 2, seed, 6));
    c = mix(c, stone, smoothstep(0.9, 0.93, rock));
    double rim = smoothstep(0.885, 0.9, rock) * (1.0 - smoothstep(0.905, 0.92, rock));
    c = mix(c, {84, 66, 52}, 0.5 * rim);
  }

  c = paint_pad(c, {150, 128, 98}, base, x, y, seed);
  if (road < 4.5) {
    Colour track = shade({148, 124, 92}, 1.0 + 0.08 * std::sin(road * 3.0));
    c = mix(c, track, smoothstep(4.5, 3.0, road));
  }
  return c;
}

Colour paint_winter(double x, double y, const Layout& layout) {
  const int seed = layout.seed;
  Colour c = mix({178, 184, 192}, {160, 168, 178}, 0.5 + 0.5 * fbm(x, y, 200.0, 3, seed, 1));
  c = shade(c, 1.0 + 0.03 * fbm(x, y, 12.0, 2, seed, 2));

  double base = layout.base_distance(x, y);
  double road = layout.road_distance(x, y);

  // A frozen lake in the middle; the roads stop at its shore.
  double angle = std::atan2(y, x);
  double lake_radius =
      125.0 + 30.0 * fbm(std::cos(angle) * 100.0, std::sin(angle) * 100.0, 60.0, 2, seed, 3);
  double lake = std::sqrt(x * x + y * y) - lake_radius;

  // Forest: clumps of dark crowns, kept off the bases, the roads and the lake.
  double clear = std::min(
      {smoothstep(85.0, 115.0, base), smoothstep(10.0, 26.0, road), smoothstep(10.0, 40.0, lake)});
  double woods = (fbm(x, y, 170.0, 3, seed, 4) + 0.05) * clear;
  if (woods > 0.12) {
    double crowns = fbm(x, y, 3.5, 2, seed, 5);
    Colour tree = mix({84, 100, 92}, {56, 74, 64}, smoothstep(0.05, 0.15, crowns));
    tree = mix(tree, {150, 160, 166}, smoothstep(0.4, 0.5, crowns));  // snow on the crowns
    c = mix(c, tree, smoothstep(0.12, 0.2, woods));
  }

  if (lake < 5.0) c = mix(c, {128, 136, 146}, smoothstep(5.0, 1.0, lake));
  if (lake < 0.6) {
    Colour ice = mix({150, 176, 194}, {128, 158, 182}, 0.5 + 0.5 * fbm(x, y, 70.0, 3, seed, 6));
    double crack = std::fabs(fbm(x, y, 45.0, 3, seed, 7));
    if (crack < 0.02) ice = mix(ice, {202, 216, 226}, smoothstep(0.02, 0.008, crack));
    c = mix(c, ice, smoothstep(0.6, -0.6, lake));
  }

  c = paint_pad(c, {150, 150, 150}, base, x, y, seed);
  if (road < 4.5 && lake > 0.0) c = mix(c, {132, 130, 128}, smoothstep(4.5, 3.0, road));
  return c;
}

}  // namespace

bool parse_landscape(const std::string& name, Landscape& landscape) {
  if (name == "temperate") {
    landscape = Landscape::kTemperate;
  } else if (name == "desert") {
    landscape = Landscape::kDesert;
  } else if (name == "winter") {
    landscape = Landscape::kWinter;
  } else {
    return false;
  }
  return true;
}

Image paint_ground(const GroundParams& params) {
  Image image(params.pixels, params.pixels);
  Layout layout{params.base_offset, params.seed};
  const double unit_per_pixel = 1000.0 / params.pixels;
  for (int py = 0; py < params.pixels; ++py) {
    double y = 500.0 - (py + 0.5) * unit_per_pixel;
    for (int px = 0; px < params.pixels; ++px) {
      double x = -500.0 + (px + 0.5) * unit_per_pixel;
      Colour c;
      switch (params.landscape) {
        case Landscape::kTemperate:
          c = paint_temperate(x, y, layout);
          break;
        case Landscape::kDesert:
          c = paint_desert(x, y, layout);
          break;
        case Landscape::kWinter:
          c = paint_winter(x, y, layout);
          break;
      }
      uint8_t* p = image.pixel(px, py);
      p[0] = static_cast<uint8_t>(std::clamp(c.r, 0.0, 255.0));
      p[1] = static_cast<uint8_t>(std::clamp(c.g, 0.0, 255.0));
      p[2] = static_cast<uint8_t>(std::clamp(c.b, 0.0, 255.0));
      p[3] = 255;
    }
  }
  return image;
}

}  // namespace bake
