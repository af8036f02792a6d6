#include "audio/spatial_mix.h"

#include <algorithm>
#include <cmath>

namespace quarvex {

namespace {

// Depth from the eye to the ground units, and the picture's aspect ratio.
constexpr double kUnitDepth = 92.5;
constexpr double kAspect = 1.33;
// Each doubling of the events merged into one voice makes it this much
// louder, up to a limit: a volley is heard as a volley, not as thirty shots.
constexpr double kLouderPerDoubling = 0.15;
constexpr double kMostLouder = 1.5;

}  // namespace

Listener listener_of(const World& w) {
  const CommandState& view = player_state(w);
  Listener l;
  l.x = view.camera_x;
  l.y = view.camera_y;
  l.yaw = view.camera_yaw;
  const double fov = (50.0 - double{view.camera_zoom}) * double{kDegree};
  const double depth = kUnitDepth - double{view.camera_distance};
  l.reach = std::max(1.0, depth * std::tan(fov / 2.0) * kAspect);
  return l;
}

Placement place(const Listener& listener, double x, double y) {
  const double dx = x - listener.x, dy = y - listener.y;
  const double distance = std::hypot(dx, dy);
  const double silent = listener.reach * kHearingReaches;
  Placement p;
  if (!(distance < silent)) return p;
  if (distance <= listener.reach) {
    p.gain = 1.0;
  } else {
    // Falls fast just off the picture, so the battle on screen stands out.
    const double fade = (silent - distance) / (silent - listener.reach);
    p.gain = fade * fade * fade;
  }
  // Screen right in map coordinates is (cos yaw, sin yaw).
  const double right = dx * std::cos(listener.yaw) + dy * std::sin(listener.yaw);
  p.pan = std::clamp(right / listener.reach, -1.0, 1.0);
  return p;
}

void gather_requests(const SoundEvents& events, const Listener& listener, VoiceRequests& out) {
  struct Sum {
    double loudest = 0.0;
    double gain_sum = 0.0;
    double pan_sum = 0.0;
    int count = 0;
  };
  std::array<Sum, kSoundCount> sums{};
  for (int i = 0; i < events.count; ++i) {
    const SoundEvent& e = events.list[static_cast<size_t>(i)];
    const Placement p = e.placed ? place(listener, e.x, e.y) : Placement{1.0, 0.0};
    if (p.gain <= 0.0 || e.sound >= Sound::kCount) continue;
    Sum& s = sums[static_cast<size_t>(e.sound)];
    s.loudest = std::max(s.loudest, p.gain);
    s.gain_sum += p.gain;
    s.pan_sum += p.gain * p.pan;
    s.count += 1;
  }
  out.count = 0;
  for (size_t i = 0; i < sums.size(); ++i) {
    const Sum& s = sums[i];
    if (s.count == 0) continue;
    VoiceRequest& r = out.list[static_cast<size_t>(out.count++)];
    r.sound = static_cast<Sound>(i);
    const double louder = std::min(kMostLouder, 1.0 + kLouderPerDoubling * std::log2(s.count));
    r.gain = std::min(1.0, s.loudest * louder);
    r.pan = s.pan_sum / s.gain_sum;
    r.merged = s.count;
  }
  std::sort(out.list.begin(), out.list.begin() + out.count,
            [](const VoiceRequest& a, const VoiceRequest& b) {
              return a.gain != b.gain ? a.gain > b.gain : a.sound < b.sound;
            });
}

void pan_gains(double pan, double& left, double& right) {
  const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * (3.14159265358979 / 4.0);
  left = std::min(1.0, std::sqrt(2.0) * std::cos(angle));
  right = std::min(1.0, std::sqrt(2.0) * std::sin(angle));
}

}  // namespace quarvex
