// Sound recipes are written by hand: any text must parse without a read
// outside it, and a short recipe that parses cleanly must render to samples
// within full scale, as many as its length promises.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "recipe.h"
#include "render.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quarvex::Recipe recipe;
  std::vector<std::string> errors;
  quarvex::parse_recipe(text, "fuzz.txt", recipe, errors);
  if (!errors.empty()) return 0;
  if (recipe.layers.empty() || recipe.layers.size() > quarvex::kMaxLayers) std::abort();
  // Long recipes are valid but slow to render; their parsing is what is fuzzed.
  if (recipe.length > 0.25) return 0;
  const std::vector<int16_t> samples = quarvex::render_recipe(recipe);
  const auto expected =
      static_cast<size_t>(std::lround((recipe.length - recipe.loop_blend) * 44100));
  if (!samples.empty() && (samples.size() + 1 < expected || samples.size() > expected + 1))
    std::abort();
  for (int16_t s : samples) {
    if (s < -32767) std::abort();
  }
  return 0;
}
