#pragma once
// A sound recipe: a few layers of oscillators or noise, each shaped by an
// envelope, pitch and filter sweeps and a little modulation, summed, given an
// echo and scaled to a peak. Written as short text files, one per sound:
//
//   # the whole sound
//   length 0.8          seconds, 0.01 .. 10
//   peak 0.7            loudest sample as a share of full scale
//   seed 3              noise seed
//   echo 0.11 0.3       delay in seconds, feedback 0 .. 0.9
//   loop 0.1            a seamless loop: the last 0.1 s are blended into the start
//
//   layer noise         sine square saw triangle noise stepnoise dust
//     start 0.02        seconds from the start of the sound
//     envelope 0.002 0.01 0.4    attack, hold, decay to -60 dB (seconds)
//     pitch 220 55      Hz, swept exponentially over the sweep time
//     sweep 0.3         sweep time (default: attack + hold + decay)
//     lowpass 6000 400  a filter with its cutoff swept the same way
//     highpass 80
//     bandpass 1200 900
//     resonance 2       filter Q, 0.5 .. 20
//     gain 0.8
//     tremolo 18 0.7    rate in Hz, depth 0 .. 1
//     vibrato 6 0.3     rate in Hz, depth in semitones
//     drive 3           soft saturation
//     density 200       impulses a second (dust)
//
// '#' starts a comment; blank lines are ignored.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarvex {

enum class Wave { kSine, kSquare, kSaw, kTriangle, kNoise, kStepNoise, kDust };
enum class FilterKind { kNone, kLowpass, kHighpass, kBandpass };

// A value that moves exponentially from `from` to `to` over the sweep time.
struct Sweep {
  double from = 0.0;
  double to = 0.0;
};

struct Layer {
  Wave wave = Wave::kSine;
  double start = 0.0;
  double attack = 0.0;
  double hold = 0.0;
  double decay = 1.0;
  Sweep pitch{440.0, 440.0};
  double sweep = -1.0;  // negative: attack + hold + decay
  FilterKind filter = FilterKind::kNone;
  Sweep cutoff{1000.0, 1000.0};
  double resonance = 0.7071;
  double gain = 1.0;
  double tremolo_rate = 0.0;
  double tremolo_depth = 0.0;
  double vibrato_rate = 0.0;
  double vibrato_depth = 0.0;
  double drive = 0.0;
  double density = 100.0;
};

struct Recipe {
  double length = 1.0;
  double peak = 0.9;
  uint32_t seed = 1;
  double echo_delay = 0.0;
  double echo_feedback = 0.0;
  double loop_blend = 0.0;  // 0: not a loop
  std::vector<Layer> layers;
};

constexpr size_t kMaxLayers = 16;
constexpr double kMaxLength = 10.0;

// Parses a recipe. Every line that cannot be understood adds one error
// "<name>:<line>: <what>" to `errors`; a recipe with errors is not to be used.
void parse_recipe(std::string_view text, const std::string& name, Recipe& recipe,
                  std::vector<std::string>& errors);

}  // namespace quarvex
