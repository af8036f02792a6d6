#pragma once
// Where a sound is heard from: panned by its place left or right of the
// camera, quieter with distance, silent beyond a radius. The events of one
// frame that share a sound merge into one voice.

#include <array>

#include "audio/sound_events.h"
#include "audio/sounds.h"
#include "world/world.h"

namespace quarvex {

struct Listener {
  double x = 0.0;
  double y = 0.0;
  double yaw = 0.0;    // the picture turns with the driven unit
  double reach = 1.0;  // half the picture's width in map units: full volume within it
};

// Sounds fade to silence at this many reaches from the camera.
constexpr double kHearingReaches = 4.0;

// The camera of the World's picture.
Listener listener_of(const World& w);

struct Placement {
  double gain = 0.0;  // 0 .. 1
  double pan = 0.0;   // -1 left .. 1 right
};

Placement place(const Listener& listener, double x, double y);

// One voice wanted in a frame: the events of one sound merged.
struct VoiceRequest {
  Sound sound = Sound::kCount;
  double gain = 0.0;
  double pan = 0.0;
  int merged = 0;  // how many events it stands for
};

struct VoiceRequests {
  std::array<VoiceRequest, kSoundCount> list;
  int count = 0;
};

// Merges the frame's events by sound: the loudest event's gain, a little
// more for each doubling of their number (at most half as loud again, never
// past 1), panned to their gain-weighted place. Events out of hearing are dropped. Sorted loudest
// first.
void gather_requests(const SoundEvents& events, const Listener& listener, VoiceRequests& out);

// Channel gains (0..1) for a pan: the far side fades with equal power, the
// near side stays whole, so a sound in the middle is not made quieter.
void pan_gains(double pan, double& left, double& right);

}  // namespace quarvex
