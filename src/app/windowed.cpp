#include <cstdio>
#include <memory>
#include <string>

#include "app/drivers.h"
#include "app/game.h"
#include "app/windowed_data.h"
#include "app/windowed_host.h"
#include "platform/gl_device.h"
#include "platform/system.h"
#include "platform/window.h"

namespace quarvex {

namespace {

void report_failure(const char* caption, const char* text, const std::string& reason) {
  std::fprintf(stderr, "quarvex: %s (%s)\n", text, reason.c_str());
  show_message_box(nullptr, nullptr, caption, text);
}

// Events are drained before every frame; closing the window ends the loop.
void run_loop(Game& game, Window& window, GlDevice& device) {
  WindowedHost host(game.options(), game.data_dir(), window, device);
  while (host.handle_window_events() && game.run_frame(host) && !host.quit_requested()) {
  }
}

}  // namespace

int run_windowed(const Options& options) {
  std::string reason;
  if (!display_available(reason)) {
    std::fprintf(stderr, "quarvex: %s; run with --headless to play without a window\n",
                 reason.c_str());
    return 1;
  }
  if (!start_video(reason)) {
    std::fprintf(stderr,
                 "quarvex: cannot open the display (%s); run with --headless to play "
                 "without a window\n",
                 reason.c_str());
    return 1;
  }
  int status = 0;
  Game game;
  if (!game.begin(options, reason)) {
    std::fprintf(stderr, "quarvex: %s\n", reason.c_str());
    status = 2;
  } else {
    const int scale = options.scale > 0 ? options.scale : default_scale();
    std::unique_ptr<Window> window = Window::open(scale, options.fullscreen, reason);
    std::unique_ptr<GlDevice> device = window ? GlDevice::create(*window, reason) : nullptr;
    if (device == nullptr) {
      // A start-up that failed is not a success.
      report_failure("quarvex", "Direct3D の初期化に失敗しました。", reason);
      status = 1;
    } else {
      load_device_data(*device, game.data_dir());
      run_loop(game, *window, *device);
      status = game.finish();
    }
    // Device objects go first (atlases, ground, then the device's own, the
    // font last), then the window and its context.
    device.reset();
    window.reset();
  }
  stop_video();
  return status;
}

}  // namespace quarvex
