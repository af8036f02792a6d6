#include "contact_sheet.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "atlas.h"
#include "world/tables.h"

namespace bake {

namespace {

constexpr double kPixelsPerMapUnit = 7.0;
constexpr int kEntryWidth = 250;
constexpr int kEntryHeight = 178;
constexpr int kColumns = 6;
constexpr int kScreenIconPixels = 20;

// Straight RGBA to a cairo surface (premultiplied, native-endian ARGB).
cairo_surface_t* to_surface(const Image& image) {
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
  cairo_surface_flush(surface);
  unsigned char* data = cairo_image_surface_get_data(surface);
  int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.pixel(x, y);
      uint32_t a = p[3];
      uint32_t argb = a << 24 | (p[0] * a / 255) << 16 | (p[1] * a / 255) << 8 | (p[2] * a / 255);
      std::memcpy(data + static_cast<size_t>(y) * stride + x * 4, &argb, 4);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

void draw_scaled(cairo_t* cr, cairo_surface_t* cell, double x, double y, double pixels) {
  cairo_save(cr);
  cairo_translate(cr, x, y);
  cairo_scale(cr, pixels / kCellPixels, pixels / kCellPixels);
  cairo_set_source_surface(cr, cell, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
}

// One picture of the sheet: a single cell, or a hull with its mounted piece
// drawn over it at the same centre, as the game stacks them.
struct Layer {
  cairo_surface_t* cell;
  double pixels;
};

void draw_layers(cairo_t* cr, const std::vector<Layer>& layers, double centre_x, double centre_y,
                 double scale) {
  for (const Layer& layer : layers) {
    double size = layer.pixels * scale;
    draw_scaled(cr, layer.cell, centre_x - size / 2, centre_y - size / 2, size);
  }
}

void draw_entry(cairo_t* cr, const std::vector<Layer>& layers, double left, double top,
                const std::string& label) {
  double pixels = 0.0;
  for (const Layer& layer : layers) pixels = std::max(pixels, layer.pixels);
  // The three ground tones the sprite must stand out on.
  static constexpr double kGrounds[3][3] = {
      {0.42, 0.50, 0.29}, {0.67, 0.56, 0.39}, {0.68, 0.71, 0.74}};
  const double patch_width = 68.0, patch_height = 52.0;
  for (int i = 0; i < 3; ++i) {
    double px = left + 4.0;
    double py = top + 4.0 + i * (patch_height + 2.0);
    cairo_save(cr);
    cairo_rectangle(cr, px, py, patch_width, patch_height);
    cairo_clip(cr);
    cairo_set_source_rgb(cr, kGrounds[i][0], kGrounds[i][1], kGrounds[i][2]);
    cairo_paint(cr);
    draw_layers(cr, layers, px + patch_width / 2, py + patch_height / 2, 1.0);
    cairo_restore(cr);
  }
  double scale = std::min(4.0, 160.0 / pixels);
  double bx = left + 76.0, by = top + 4.0;
  // A dark-and-light checker shows where the cell is transparent.
  for (int cy = 0; cy < 160; cy += 16) {
    for (int cx = 0; cx < 160; cx += 16) {
      double v = ((cx + cy) / 16) % 2 == 0 ? 0.45 : 0.55;
      cairo_set_source_rgb(cr, v, v, v);
      cairo_rectangle(cr, bx + cx, by + cy, 16, 16);
      cairo_fill(cr);
    }
  }
  draw_layers(cr, layers, bx + 80.0, by + 80.0, scale);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_move_to(cr, left + 4.0, top + kEntryHeight - 8.0);
  cairo_show_text(cr, label.c_str());
}

}  // namespace

double game_pixels(int atlas, int cell) {
  if (atlas >= 6 || (atlas == 5 && cell == 12)) return kScreenIconPixels;
  // Marks drawn as particles over units: side emblems and gun sights at 80,
  // the lock-on and target marks at 50 tenths of a map unit.
  if ((atlas == 5 && cell >= 8 && cell <= 11) || (atlas == 0 && (cell == 12 || cell == 13))) {
    return 8.0 * kPixelsPerMapUnit;
  }
  if ((atlas == 5 && cell == 13) || (atlas == 0 && cell == 14)) return 5.0 * kPixelsPerMapUnit;
  int size = 0;
  for (const quarvex::UnitType& type : quarvex::kUnitTypes) {
    if (type.texture == atlas && type.cell == cell) size = std::max<int>(size, type.size);
  }
  for (const quarvex::ProjectileType& type : quarvex::kProjectileTypes) {
    if (type.texture == atlas && type.cell == cell) size = std::max<int>(size, type.size);
  }
  if (size == 0) size = 40;  // particles and marks
  return size / 10.0 * kPixelsPerMapUnit;
}

bool draw_contact_sheet(const std::filesystem::path& sprite_root,
                        const std::filesystem::path& png_path, std::string& error) {
  struct Entry {
    int atlas;
    CellSource source;
  };
  std::vector<Entry> entries;
  std::vector<Image> atlases(kAtlasNames.size());
  for (size_t a = 0; a < kAtlasNames.size(); ++a) {
    std::vector<CellSource> sources;
    std::filesystem::path dir = sprite_root / kAtlasNames[a];
    if (!list_cell_sources(dir, sources, error)) return false;
    if (!bake_atlas(dir, atlases[a], error)) return false;
    for (const CellSource& s : sources) entries.push_back({static_cast<int>(a), s});
  }
  // Every kind with a mounted piece, stacked as the game draws it.
  std::vector<int> stacked_kinds;
  for (int k = 0; k < quarvex::kUnitKindCount; ++k) {
    if (quarvex::kUnitKinds[k].child_type >= 0) stacked_kinds.push_back(k);
  }
  size_t total = entries.size() + stacked_kinds.size();
  int rows = static_cast<int>((total + kColumns - 1) / kColumns);
  int width = kColumns * kEntryWidth;
  int height = std::max(1, rows) * kEntryHeight;
  cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
  cairo_t* cr = cairo_create(sheet);
  cairo_set_source_rgb(cr, 0.16, 0.16, 0.18);
  cairo_paint(cr);
  cairo_select_font_face(cr, "IPAGothic", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 12.0);
  auto place = [&](size_t i, const std::vector<Layer>& layers, const std::string& label) {
    draw_entry(cr, layers, static_cast<double>(i % kColumns) * kEntryWidth,
               static_cast<double>(i / kColumns) * kEntryHeight, label);
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    cairo_surface_t* cell = to_surface(cut_cell(atlases[e.atlas], e.source.cell));
    place(i, {{cell, game_pixels(e.atlas, e.source.cell)}},
          std::string(kAtlasNames[e.atlas]) + ".dds " + std::to_string(e.source.cell) + "  " +
              e.source.name);
    cairo_surface_destroy(cell);
  }
  for (size_t j = 0; j < stacked_kinds.size(); ++j) {
    int k = stacked_kinds[j];
    std::vector<Layer> layers;
    for (int type :
         {quarvex::kUnitKinds[k].main_type & 0xFF, quarvex::kUnitKinds[k].child_type & 0xFF}) {
      const quarvex::UnitType& t = quarvex::unit_type(type);
      if (t.texture < 0 || t.texture >= 6 || t.cell < 0 || t.cell > 15) continue;
      layers.push_back(
          {to_surface(cut_cell(atlases[t.texture], t.cell)), t.size / 10.0 * kPixelsPerMapUnit});
    }
    place(entries.size() + j, layers, "kind " + std::to_string(k) + "  " + quarvex::kind_names[k]);
    for (const Layer& layer : layers) cairo_surface_destroy(layer.cell);
  }
  cairo_destroy(cr);
  cairo_surface_flush(sheet);

  std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4);
  const unsigned char* data = cairo_image_surface_get_data(sheet);
  int stride = cairo_image_surface_get_stride(sheet);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t argb;
      std::memcpy(&argb, data + static_cast<size_t>(y) * stride + x * 4, 4);
      uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
      p[0] = static_cast<uint8_t>(argb >> 16);
      p[1] = static_cast<uint8_t>(argb >> 8);
      p[2] = static_cast<uint8_t>(argb);
      p[3] = 255;
    }
  }
  cairo_surface_destroy(sheet);
  // The labels loaded fonts; let cairo and fontconfig give their caches back.
  cairo_debug_reset_static_data();
  FcFini();
  if (stbi_write_png(png_path.c_str(), width, height, 4, rgba.data(), width * 4) == 0) {
    error = png_path.string() + ": cannot write";
    return false;
  }
  return true;
}

}  // namespace bake
