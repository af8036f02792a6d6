#include "render.h"

#include <algorithm>
#include <cmath>

#include "platform/wav.h"

namespace quarvex {

namespace {

constexpr double kRate = kWavRate;
constexpr double kTwoPi = 6.283185307179586;
constexpr double kSilence = 0.001;  // -60 dB: where a decay ends

// Small, fast and the same everywhere: the noise must not change between builds.
class Noise {
 public:
  explicit Noise(uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {
    if (state_ == 0) state_ = 1;
  }
  // Uniform in -1 .. 1.
  double next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<double>(state_) / 2147483647.5 - 1.0;
  }
  double unit() { return 0.5 * (next() + 1.0); }

 private:
  uint32_t state_;
};

double swept(const Sweep& s, double t, double sweep_time) {
  if (s.from == s.to) return s.from;
  const double f = std::clamp(t / sweep_time, 0.0, 1.0);
  return s.from * std::pow(s.to / s.from, f);
}

double envelope(const Layer& l, double t) {
  if (t < l.attack) return t / l.attack;
  t -= l.attack;
  if (t < l.hold) return 1.0;
  t -= l.hold;
  if (t < l.decay) return std::exp(std::log(kSilence) * t / l.decay);
  return 0.0;
}

// Softens the jump of a square or saw edge, which would otherwise alias.
double poly_blep(double phase, double step) {
  if (phase < step) {
    const double x = phase / step;
    return x + x - x * x - 1.0;
  }
  if (phase > 1.0 - step) {
    const double x = (phase - 1.0) / step;
    return x * x + x + x + 1.0;
  }
  return 0.0;
}

// A state-variable filter (trapezoidal), stable while its cutoff moves.
class Filter {
 public:
  double run(FilterKind kind, double in, double cutoff, double q) {
    const double g = std::tan(kTwoPi / 2.0 * std::min(cutoff, 0.45 * kRate) / kRate);
    const double k = 1.0 / q;
    const double a1 = 1.0 / (1.0 + g * (g + k));
    const double a2 = g * a1;
    const double a3 = g * a2;
    const double v3 = in - ic2_;
    const double v1 = a1 * ic1_ + a2 * v3;
    const double v2 = ic2_ + a2 * ic1_ + a3 * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    switch (kind) {
      case FilterKind::kLowpass:
        return v2;
      case FilterKind::kHighpass:
        return in - k * v1 - v2;
      case FilterKind::kBandpass:
        return v1;
      case FilterKind::kNone:
        break;
    }
    return in;
  }

 private:
  double ic1_ = 0.0;
  double ic2_ = 0.0;
};

class Oscillator {
 public:
  explicit Oscillator(uint32_t seed) : noise_(seed) {}

  double next(Wave wave, double frequency, double density) {
    const double step = std::min(frequency / kRate, 0.5);
    double out = 0.0;
    switch (wave) {
      case Wave::kSine:
        out = std::sin(kTwoPi * phase_);
        break;
      case Wave::kSquare:
        out = (phase_ < 0.5 ? 1.0 : -1.0) + poly_blep(phase_, step) -
              poly_blep(std::fmod(phase_ + 0.5, 1.0), step);
        break;
      case Wave::kSaw:
        out = 2.0 * phase_ - 1.0 - poly_blep(phase_, step);
        break;
      case Wave::kTriangle:
        out = 1.0 - 4.0 * std::abs(phase_ - 0.5);
        break;
      case Wave::kNoise:
        out = noise_.next();
        break;
      case Wave::kStepNoise:
        if (phase_ + step >= 1.0) held_ = noise_.next();
        out = held_;
        break;
      case Wave::kDust:
        out = noise_.unit() < density / kRate ? noise_.next() : 0.0;
        break;
    }
    phase_ += step;
    if (phase_ >= 1.0) phase_ -= 1.0;
    return out;
  }

 private:
  Noise noise_;
  double phase_ = 0.0;
  double held_ = 0.0;
};

void add_layer(const Layer& l, uint32_t seed, std::vector<double>& mix) {
  const auto first = static_cast<size_t>(std::lround(l.start * kRate));
  const double length = l.attack + l.hold + l.decay;
  const double sweep_time = l.sweep > 0.0 ? l.sweep : std::max(length, 0.001);
  const size_t end = std::min(mix.size(), first + static_cast<size_t>(std::ceil(length * kRate)));
  Oscillator osc(seed);
  Filter filter;
  const double drive_scale = l.drive > 0.0 ? 1.0 / std::tanh(l.drive) : 1.0;
  for (size_t i = first; i < end; ++i) {
    const double t = static_cast<double>(i - first) / kRate;
    double frequency = swept(l.pitch, t, sweep_time);
    if (l.vibrato_depth > 0.0) {
      frequency *= std::pow(2.0, l.vibrato_depth / 12.0 * std::sin(kTwoPi * l.vibrato_rate * t));
    }
    double x = osc.next(l.wave, frequency, l.density);
    if (l.filter != FilterKind::kNone) {
      x = filter.run(l.filter, x, swept(l.cutoff, t, sweep_time), l.resonance);
    }
    x *= envelope(l, t);
    if (l.drive > 0.0) x = std::tanh(l.drive * x) * drive_scale;
    if (l.tremolo_depth > 0.0) {
      x *= 1.0 - l.tremolo_depth * (0.5 - 0.5 * std::cos(kTwoPi * l.tremolo_rate * t));
    }
    mix[i] += l.gain * x;
  }
}

// Each repeat comes back duller, as from walls and ground far off.
void add_echo(double delay, double feedback, std::vector<double>& mix) {
  constexpr double kDamping = 2500.0;  // Hz
  const double a = 1.0 - std::exp(-kTwoPi * kDamping / kRate);
  const auto d = static_cast<size_t>(std::lround(delay * kRate));
  double dull = 0.0;
  for (size_t i = d; i < mix.size(); ++i) {
    dull += a * (mix[i - d] - dull);
    mix[i] += feedback * dull;
  }
}

// Blends the tail into the head, then drops the tail: the last sample then
// runs on into the first as it did into the tail. The fade lies halfway
// between equal gain (right for tones in step) and equal power (right for
// noise), so neither swells nor dips by more than 1.5 dB.
void close_loop(double blend, std::vector<double>& mix) {
  const auto b = static_cast<size_t>(std::lround(blend * kRate));
  const size_t keep = mix.size() - b;
  auto fade_in = [](double x) {
    return 0.25 * (1.0 - std::cos(x * kTwoPi / 2.0)) + 0.5 * std::sin(x * kTwoPi / 4.0);
  };
  for (size_t i = 0; i < b; ++i) {
    const double x = (static_cast<double>(i) + 0.5) / static_cast<double>(b);
    mix[i] = mix[i] * fade_in(x) + mix[keep + i] * fade_in(1.0 - x);
  }
  mix.resize(keep);
}

// A sound cut off by its length ends with a short fade, never a click.
void fade_out(std::vector<double>& mix) {
  const size_t n = std::min<size_t>(mix.size(), static_cast<size_t>(0.004 * kRate));
  for (size_t i = 0; i < n; ++i) {
    mix[mix.size() - 1 - i] *= static_cast<double>(i) / static_cast<double>(n);
  }
}

}  // namespace

std::vector<int16_t> render_recipe(const Recipe& recipe) {
  std::vector<double> mix(static_cast<size_t>(std::lround(recipe.length * kRate)), 0.0);
  for (size_t i = 0; i < recipe.layers.size(); ++i) {
    add_layer(recipe.layers[i], recipe.seed + static_cast<uint32_t>(i) * 7919u, mix);
  }
  if (recipe.echo_feedback > 0.0) add_echo(recipe.echo_delay, recipe.echo_feedback, mix);
  if (recipe.loop_blend > 0.0) {
    close_loop(recipe.loop_blend, mix);
  } else {
    fade_out(mix);
  }
  double loudest = 0.0;
  for (double x : mix) loudest = std::max(loudest, std::abs(x));
  if (!(loudest > 1e-9) || !std::isfinite(loudest)) return {};
  const double scale = recipe.peak * 32767.0 / loudest;
  std::vector<int16_t> samples(mix.size());
  for (size_t i = 0; i < mix.size(); ++i) {
    samples[i] = static_cast<int16_t>(std::clamp(std::lround(mix[i] * scale), -32767L, 32767L));
  }
  return samples;
}

}  // namespace quarvex
