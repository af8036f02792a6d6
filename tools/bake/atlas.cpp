#include "atlas.h"

#include <cairo.h>
#include <librsvg/rsvg.h>

#include <algorithm>
#include <cstring>

namespace bake {

namespace {

// Parses the leading cell number of "07-parachute.svg"; -1 when there is none.
int leading_cell_number(const std::string& file_name, std::string& rest) {
  size_t digits = 0;
  while (digits < file_name.size() && digits < 3 && file_name[digits] >= '0' &&
         file_name[digits] <= '9') {
    ++digits;
  }
  if (digits == 0 || digits >= file_name.size() || file_name[digits] != '-') return -1;
  rest = file_name.substr(digits + 1);
  return std::stoi(file_name.substr(0, digits));
}

uint8_t unpremultiply(uint32_t channel, uint32_t alpha) {
  return static_cast<uint8_t>(std::min<uint32_t>(255, (channel * 255 + alpha / 2) / alpha));
}

}  // namespace

bool list_cell_sources(const std::filesystem::path& dir, std::vector<CellSource>& sources,
                       std::string& error) {
  sources.clear();
  std::error_code ec;
  if (!std::filesystem::is_directory(dir, ec)) {
    error = dir.string() + ": not a directory";
    return false;
  }
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    if (entry.path().extension() != ".svg") continue;
    std::string rest;
    int cell = leading_cell_number(entry.path().filename().string(), rest);
    if (cell < 0 || cell > 15) {
      error = entry.path().string() + ": the name must start with a cell number 00..15 and '-'";
      return false;
    }
    CellSource source{cell, rest.substr(0, rest.size() - 4), entry.path()};
    auto same = std::find_if(sources.begin(), sources.end(),
                             [&](const CellSource& s) { return s.cell == cell; });
    if (same != sources.end()) {
      error = entry.path().string() + ": cell " + std::to_string(cell) + " already drawn by " +
              same->path.string();
      return false;
    }
    sources.push_back(source);
  }
  if (ec) {
    error = dir.string() + ": " + ec.message();
    return false;
  }
  std::sort(sources.begin(), sources.end(),
            [](const CellSource& a, const CellSource& b) { return a.cell < b.cell; });
  return true;
}

bool render_svg(const std::filesystem::path& path, int pixels, Image& out, std::string& error) {
  GError* gerror = nullptr;
  RsvgHandle* handle = rsvg_handle_new_from_file(path.c_str(), &gerror);
  if (handle == nullptr) {
    error = path.string() + ": " + (gerror != nullptr ? gerror->message : "unreadable SVG");
    if (gerror != nullptr) g_error_free(gerror);
    return false;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels, pixels);
  cairo_t* cr = cairo_create(surface);
  RsvgRectangle viewport{0.0, 0.0, static_cast<double>(pixels), static_cast<double>(pixels)};
  bool ok = rsvg_handle_render_document(handle, cr, &viewport, &gerror) != 0;
  if (!ok) {
    error = path.string() + ": " + (gerror != nullptr ? gerror->message : "cannot render");
    if (gerror != nullptr) g_error_free(gerror);
  }
  cairo_destroy(cr);
  g_object_unref(handle);
  if (ok) {
    cairo_surface_flush(surface);
    out = Image(pixels, pixels);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < pixels; ++y) {
      for (int x = 0; x < pixels; ++x) {
        uint32_t argb;
        std::memcpy(&argb, data + static_cast<size_t>(y) * stride + x * 4, 4);
        uint32_t a = argb >> 24;
        uint8_t* p = out.pixel(x, y);
        if (a != 0) {
          p[0] = unpremultiply((argb >> 16) & 0xFF, a);
          p[1] = unpremultiply((argb >> 8) & 0xFF, a);
          p[2] = unpremultiply(argb & 0xFF, a);
        }
        p[3] = static_cast<uint8_t>(a);
      }
    }
  }
  cairo_surface_destroy(surface);
  return ok;
}

bool bake_atlas(const std::filesystem::path& dir, Image& atlas, std::string& error) {
  std::vector<CellSource> sources;
  if (!list_cell_sources(dir, sources, error)) return false;
  atlas = Image(kAtlasPixels, kAtlasPixels);
  for (const CellSource& source : sources) {
    Image cell;
    if (!render_svg(source.path, kCellPixels, cell, error)) return false;
    int left = (source.cell % 4) * kCellPixels;
    int top = (source.cell / 4) * kCellPixels;
    for (int y = 0; y < kCellPixels; ++y) {
      std::memcpy(atlas.pixel(left, top + y), cell.pixel(0, y), kCellPixels * 4);
    }
  }
  return true;
}

Image cut_cell(const Image& atlas, int cell) {
  Image out(kCellPixels, kCellPixels);
  int left = (cell % 4) * kCellPixels;
  int top = (cell / 4) * kCellPixels;
  for (int y = 0; y < kCellPixels; ++y) {
    std::memcpy(out.pixel(0, y), atlas.pixel(left, top + y), kCellPixels * 4);
  }
  return out;
}

}  // namespace bake
