// quarvex-synth: makes one of the game's sounds from its recipe.
//
//   quarvex-synth RECIPE.txt OUT.wav

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/wav.h"
#include "recipe.h"
#include "render.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: quarvex-synth RECIPE.txt OUT.wav\n");
    return 2;
  }
  const std::string source = argv[1];
  std::ifstream in(source, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "quarvex-synth: cannot read '%s'\n", source.c_str());
    return 1;
  }
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  quarvex::Recipe recipe;
  std::vector<std::string> errors;
  quarvex::parse_recipe(text, source, recipe, errors);
  for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
  if (!errors.empty()) return 1;
  const std::vector<int16_t> samples = quarvex::render_recipe(recipe);
  if (samples.empty()) {
    std::fprintf(stderr, "%s: the recipe makes no sound\n", source.c_str());
    return 1;
  }
  std::string error;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(argv[2]).parent_path(), ec);
  if (!quarvex::write_wav_file(argv[2], samples, error)) {
    std::fprintf(stderr, "quarvex-synth: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
