#include "app/frame.h"

#include "sim/sim.h"
#include "world/stage.h"

namespace quarvex {

void frame_tick(World& w, FrameHost& host) {
  if (w.reload_requested != 0) load_stage(w, host);
  FrameInput input;
  host.sample_input(w, input);
  apply_frame_input(w, input);  // hand-overs, then every commanding human's key latches
  player_command(w);            // each human side, in ascending side order
  command_computer_sides(w, host.watching() ? Commanded::kAllSides : Commanded::kRivals);
  reset_side_presence(w);
  execute_side_orders(w);
  control_units(w);
  show_unit_markers(w);
  lock_on(w);
  update_units(w);
  update_projectiles(w);
  update_particles(w);
  camera_follow(w);
  host.render(w);
  w.frame_counter += 1;
  if (w.frame_counter >= 1000) w.frame_counter = 0;
  count_frames_per_second(w, host);
  if (host.paced()) pace_frame(w, host);
  end_of_frame(w, host);
}

void count_frames_per_second(World& w, FrameHost& host) {
  const auto now = static_cast<int32_t>(host.calendar_seconds());
  w.frames_this_second = static_cast<int16_t>(w.frames_this_second + 1);
  if (now != w.last_second) {
    w.last_second = now;
    w.frames_last_second = w.frames_this_second;
    w.frames_this_second = 0;
  }
}

void pace_frame(World& w, FrameHost& host) {
  constexpr int32_t kFrameMs = 30;
  // A sleep of whole milliseconds can overshoot by one, so the last one is
  // waited in naps with the clock read between them.
  constexpr int32_t kPollMs = 1;
  int32_t now = host.clock_ms();
  for (;;) {
    // Compared in 64 bits so the deadline cannot overflow near the clock's wrap.
    const int64_t deadline = int64_t{w.last_frame_ms} + kFrameMs;
    if (now >= deadline || now < w.last_frame_ms) break;
    const int64_t left = deadline - now;
    if (left > kPollMs) {
      host.sleep_ms(static_cast<int32_t>(left - kPollMs));
    } else {
      host.nap();
    }
    now = host.clock_ms();
  }
  w.last_frame_ms = now;
}

}  // namespace quarvex
