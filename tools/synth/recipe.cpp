#include "recipe.h"

#include <charconv>
#include <cstdio>

#include "world/shown_text.h"

namespace quarvex {

namespace {

struct Range {
  double lowest;
  double highest;
};

constexpr Range kSeconds{0.0, kMaxLength};
constexpr Range kHertz{1.0, 20000.0};
constexpr Range kCutoff{10.0, 20000.0};

std::vector<std::string_view> words_of(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
    size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r') ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

bool wave_named(std::string_view name, Wave& wave) {
  constexpr std::pair<std::string_view, Wave> kWaves[] = {
      {"sine", Wave::kSine},         {"square", Wave::kSquare}, {"saw", Wave::kSaw},
      {"triangle", Wave::kTriangle}, {"noise", Wave::kNoise},   {"stepnoise", Wave::kStepNoise},
      {"dust", Wave::kDust}};
  for (const auto& [n, w] : kWaves) {
    if (n == name) {
      wave = w;
      return true;
    }
  }
  return false;
}

// Reads the values of one line and checks them against their ranges.
class LineReader {
 public:
  LineReader(const std::vector<std::string_view>& words, std::string& error)
      : words_(words), error_(error) {}

  // Between `fewest` and `most` values after the keyword.
  bool count(size_t fewest, size_t most) {
    const size_t n = words_.size() - 1;
    if (n >= fewest && n <= most) return true;
    error_ = std::string(words_[0]) + " takes " + std::to_string(fewest) +
             (most > fewest ? " to " + std::to_string(most) : std::string()) + " value" +
             (most == 1 ? "" : "s") + ", not " + std::to_string(n);
    return false;
  }
  size_t values() const { return words_.size() - 1; }

  bool number(size_t index, Range range, double& out) {
    const std::string_view text = words_[index + 1];
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
      error_ = quoted_text(text) + " is not a number";
      return false;
    }
    if (!(value >= range.lowest && value <= range.highest)) {
      char limits[64];
      std::snprintf(limits, sizeof limits, "%g..%g", range.lowest, range.highest);
      error_ = std::string(words_[0]) + " " + std::string(text) + " is outside " + limits;
      return false;
    }
    out = value;
    return true;
  }

  // One or two values: a sweep, or a steady value.
  bool sweep(Range range, Sweep& out) {
    if (!count(1, 2) || !number(0, range, out.from)) return false;
    out.to = out.from;
    return values() < 2 || number(1, range, out.to);
  }

 private:
  const std::vector<std::string_view>& words_;
  std::string& error_;
};

bool read_global(LineReader& r, std::string_view key, Recipe& recipe) {
  if (key == "length") return r.count(1, 1) && r.number(0, {0.01, kMaxLength}, recipe.length);
  if (key == "peak") return r.count(1, 1) && r.number(0, {0.01, 1.0}, recipe.peak);
  if (key == "loop") return r.count(1, 1) && r.number(0, {0.001, kMaxLength}, recipe.loop_blend);
  if (key == "echo") {
    return r.count(2, 2) && r.number(0, {0.01, 2.0}, recipe.echo_delay) &&
           r.number(1, {0.0, 0.9}, recipe.echo_feedback);
  }
  double seed = 0.0;
  if (!r.count(1, 1) || !r.number(0, {0.0, 4294967295.0}, seed)) return false;
  recipe.seed = static_cast<uint32_t>(seed);
  return true;
}

bool read_filter(LineReader& r, FilterKind kind, Layer& layer) {
  layer.filter = kind;
  return r.sweep(kCutoff, layer.cutoff);
}

bool read_layer_line(LineReader& r, std::string_view key, Layer& layer) {
  if (key == "start") return r.count(1, 1) && r.number(0, kSeconds, layer.start);
  if (key == "envelope") {
    return r.count(3, 3) && r.number(0, kSeconds, layer.attack) &&
           r.number(1, kSeconds, layer.hold) && r.number(2, kSeconds, layer.decay);
  }
  if (key == "pitch") return r.sweep(kHertz, layer.pitch);
  if (key == "sweep") return r.count(1, 1) && r.number(0, {0.001, kMaxLength}, layer.sweep);
  if (key == "lowpass") return read_filter(r, FilterKind::kLowpass, layer);
  if (key == "highpass") return read_filter(r, FilterKind::kHighpass, layer);
  if (key == "bandpass") return read_filter(r, FilterKind::kBandpass, layer);
  if (key == "resonance") return r.count(1, 1) && r.number(0, {0.5, 20.0}, layer.resonance);
  if (key == "gain") return r.count(1, 1) && r.number(0, {0.0, 4.0}, layer.gain);
  if (key == "tremolo") {
    return r.count(2, 2) && r.number(0, {0.0, 200.0}, layer.tremolo_rate) &&
           r.number(1, {0.0, 1.0}, layer.tremolo_depth);
  }
  if (key == "vibrato") {
    return r.count(2, 2) && r.number(0, {0.0, 50.0}, layer.vibrato_rate) &&
           r.number(1, {0.0, 12.0}, layer.vibrato_depth);
  }
  if (key == "drive") return r.count(1, 1) && r.number(0, {0.0, 50.0}, layer.drive);
  return r.count(1, 1) && r.number(0, {1.0, 20000.0}, layer.density);
}

bool is_global(std::string_view key) {
  return key == "length" || key == "peak" || key == "seed" || key == "echo" || key == "loop";
}

bool is_layer_key(std::string_view key) {
  constexpr std::string_view kKeys[] = {"start",    "envelope", "pitch",     "sweep", "lowpass",
                                        "highpass", "bandpass", "resonance", "gain",  "tremolo",
                                        "vibrato",  "drive",    "density"};
  for (std::string_view k : kKeys) {
    if (k == key) return true;
  }
  return false;
}

void start_layer(std::string_view wave_name, Recipe& recipe, std::string& error) {
  Wave wave{};
  if (!wave_named(wave_name, wave)) {
    error = "unknown wave " + quoted_text(wave_name);
  } else if (recipe.layers.size() >= kMaxLayers) {
    error = "more than " + std::to_string(kMaxLayers) + " layers";
  } else {
    recipe.layers.push_back(Layer{});
    recipe.layers.back().wave = wave;
  }
}

}  // namespace

void parse_recipe(std::string_view text, const std::string& name, Recipe& recipe,
                  std::vector<std::string>& errors) {
  recipe = Recipe{};
  size_t line_number = 0;
  size_t at = 0;
  const size_t errors_before = errors.size();
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++line_number;
    if (const size_t hash = line.find('#'); hash != std::string_view::npos) {
      line = line.substr(0, hash);
    }
    const std::vector<std::string_view> words = words_of(line);
    if (words.empty()) continue;
    const std::string_view key = words[0];
    std::string error;
    LineReader reader(words, error);
    if (key == "layer") {
      if (reader.count(1, 1)) start_layer(words[1], recipe, error);
    } else if (is_global(key)) {
      if (!recipe.layers.empty()) {
        error = std::string(key) + " belongs before the first layer";
      } else {
        read_global(reader, key, recipe);
      }
    } else if (is_layer_key(key)) {
      if (recipe.layers.empty()) {
        error = std::string(key) + " belongs to a layer; start one with 'layer'";
      } else {
        read_layer_line(reader, key, recipe.layers.back());
      }
    } else {
      error = "unknown word " + quoted_text(key);
    }
    if (!error.empty()) errors.push_back(name + ":" + std::to_string(line_number) + ": " + error);
  }
  // Checks of the whole recipe, reported at its end.
  auto whole = [&](const std::string& what) {
    errors.push_back(name + ":" + std::to_string(line_number) + ": " + what);
  };
  if (errors.size() != errors_before) return;
  if (recipe.layers.empty()) whole("the recipe has no layer");
  if (recipe.loop_blend * 2.0 >= recipe.length)
    whole("the loop blend must be under half the length");
  for (size_t i = 0; i < recipe.layers.size(); ++i) {
    if (recipe.layers[i].start >= recipe.length) {
      whole("layer " + std::to_string(i + 1) + " starts after the sound ends");
    }
  }
}

}  // namespace quarvex
