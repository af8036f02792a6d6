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

// Atlases into slots 0..7; a file that fails leaves its slot empty.
void load_atlases(GlDevice& device, const DataFolders& data, std::vector<std::string>& missing) {
  for (int slot = 0; slot < 8; ++slot) {
    std::string error;
    if (!device.load_texture(slot, data.find(kAtlasFiles[slot]), error)) {
      missing.push_back(kAtlasFiles[slot]);
    }
  }
}

// Either face stands in for the other when it is missing.
void load_fonts(GlDevice& device, std::vector<std::string>& missing) {
  const std::string latin = find_latin_font();
  const std::string japanese = find_japanese_font();
  std::string error;
  std::unique_ptr<Fonts> fonts = Fonts::open(latin, japanese, error);
  if (latin.empty() || (fonts != nullptr && !fonts->has(TextFace::kLatin))) {
    missing.push_back("a Latin font (install fonts-dejavu-core)");
  }
  if (japanese.empty() || (fonts != nullptr && !fonts->has(TextFace::kJapanese))) {
    missing.push_back("a Japanese font (install fonts-ipafont-gothic)");
  }
  if (fonts != nullptr) device.set_fonts(std::move(fonts));
}

void note_missing_stages(const DataFolders& data, std::vector<std::string>& missing) {
  for (int stage = 1; stage <= 3; ++stage) {
    for (const char* extension : {".aod", ".bmp"}) {
      const std::string file = "map" + std::to_string(stage) + extension;
      if (!data.holds(file)) missing.push_back(file);
    }
  }
}

}  // namespace

// The game still runs without them; one line says what it did not find.
void report_missing(const DataFolders& data, const std::vector<std::string>& missing) {
  if (missing.empty()) return;
  std::string line = "quarvex: not found in " + data.description() + ":";
  for (const std::string& file : missing) line += " " + file;
  std::fprintf(stderr, "%s\n", line.c_str());
}

void load_device_data(GlDevice& device, const DataFolders& data,
                      std::vector<std::string>& missing) {
  load_atlases(device, data, missing);
  load_fonts(device, missing);
  note_missing_stages(data, missing);
}

}  // namespace quarvex
