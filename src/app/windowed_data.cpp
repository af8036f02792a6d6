#include "app/windowed_data.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/font.h"

namespace quarvex {

namespace {

constexpr const char* kAtlasFiles[] = {"t0.dds", "t1.dds", "t2.dds", "t3.dds",
                                       "t4.dds", "t5.dds", "ts.dds", "tc.dds"};
constexpr int kFontHeight = 20;

std::string in_dir(const std::string& dir, const std::string& file) {
  return (std::filesystem::path(dir) / file).string();
}

// Atlases into slots 0..7; a file that fails leaves its slot empty.
void load_atlases(GlDevice& device, const std::string& data_dir,
                  std::vector<std::string>& missing) {
  for (int slot = 0; slot < 8; ++slot) {
    std::string error;
    if (!device.load_texture(slot, in_dir(data_dir, kAtlasFiles[slot]), error)) {
      missing.push_back(kAtlasFiles[slot]);
    }
  }
}

void load_font(GlDevice& device, std::vector<std::string>& missing) {
  const std::string path = find_japanese_font();
  std::string error;
  std::unique_ptr<Font> font = path.empty() ? nullptr : Font::open(path, kFontHeight, error);
  if (font == nullptr) {
    missing.push_back("a Japanese font (install fonts-ipafont-gothic)");
    return;
  }
  device.set_font(std::move(font));
}

void note_missing_stages(const std::string& data_dir, std::vector<std::string>& missing) {
  for (int stage = 1; stage <= 3; ++stage) {
    for (const char* extension : {".aod", ".bmp"}) {
      const std::string file = "map" + std::to_string(stage) + extension;
      if (!std::filesystem::exists(in_dir(data_dir, file))) missing.push_back(file);
    }
  }
}

}  // namespace

// The game still runs without them; one line says what it did not find.
void report_missing(const std::string& data_dir, const std::vector<std::string>& missing) {
  if (missing.empty()) return;
  std::string line = "quarvex: not found in " + data_dir + ":";
  for (const std::string& file : missing) line += " " + file;
  std::fprintf(stderr, "%s\n", line.c_str());
}

void load_device_data(GlDevice& device, const std::string& data_dir,
                      std::vector<std::string>& missing) {
  load_atlases(device, data_dir, missing);
  load_font(device, missing);
  note_missing_stages(data_dir, missing);
}

}  // namespace quarvex
