// The windowed game in a browser page. A page cannot loop: the browser calls
// tick() again and again, and each call runs at most one frame of the same
// Game the desktop's loop runs, then hands the page back to the browser.
// Between frames it serves what the frame could not do in the page: the
// wait of the 30 ms pacing, and the message boxes.

#include <emscripten.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/drivers.h"
#include "app/game.h"
#include "app/windowed_data.h"
#include "platform/gl_device.h"
#include "platform/system.h"
#include "platform/window.h"
#include "web/browser.h"
#include "web/page_host.h"

namespace quarvex {

namespace {

// How often the page looks again while nothing runs: a message box is
// shown, or the tab is hidden.
constexpr int kIdleTickMs = 30;

struct Page {
  Game game;
  std::unique_ptr<Window> window;
  std::unique_ptr<GlDevice> device;
  std::unique_ptr<PageHost> host;
  bool unpaced = false;
};

// The canvas fills the page; the picture is shown at the largest whole
// scale that fits it (GlDevice letterboxes it).
void fit_canvas(Window& window) {
  int width = 0;
  int height = 0;
  canvas_pixel_size(width, height);
  if (width > 0 && height > 0) window.resize(width, height);
}

void next_tick_in(int ms) {
  emscripten_set_main_loop_timing(EM_TIMING_SETTIMEOUT, ms);
}

// Writes the run's outputs, offers the files it wrote as downloads, and
// leaves the last picture on the page.
void end_run(Page& page) {
  emscripten_cancel_main_loop();
  page.game.finish();
  const Options& options = page.game.options();
  for (const std::string* file : {&options.record_file, &options.dump_file}) {
    if (!file->empty()) offer_download(*file);
  }
  report_page_state(page.game.frames_run(), "ended");
}

// Shows the oldest message over the last picture until it is closed; true
// while one is shown.
bool serve_messages(Page& page) {
  PageHost& host = *page.host;
  if (host.message_shown() && message_box_closed()) host.close_message();
  if (!host.message_shown()) return false;
  draw_message_box(*page.device, host.message().c_str());
  report_page_state(page.game.frames_run(), "message");
  return true;
}

void tick(void* arg) {
  Page& page = *static_cast<Page*>(arg);
  // A hidden tab pauses the game: no frame runs.
  if (page_hidden()) {
    next_tick_in(kIdleTickMs);
    return;
  }
  fit_canvas(*page.window);
  if (serve_messages(page)) {
    next_tick_in(kIdleTickMs);
    return;
  }
  page.host->handle_window_events();
  if (page.host->wait_left() > 0) {
    next_tick_in(page.host->wait_left());
    return;
  }
  if (!page.game.run_frame(*page.host)) {
    end_run(page);
    return;
  }
  if (page.host->message_shown()) {
    // Shown at once, over the picture of the frame that asked for it.
    serve_messages(page);
  } else {
    report_page_state(page.game.frames_run(), "running");
  }
  if (!page.unpaced) next_tick_in(page.host->wait_left());
}

void fail(const char* text, const std::string& reason) {
  std::fprintf(stderr, "quarvex: %s (%s)\n", text, reason.c_str());
  report_page_state(0, "failed");
}

}  // namespace

// Sets the page up and returns at once; the browser runs the frames. The
// Page lives as long as the page does.
int run_windowed(const Options& options) {
  std::string reason;
  if (!start_video(reason)) {
    fail("cannot start SDL's video", reason);
    return 1;
  }
  auto page = std::make_unique<Page>();
  if (!page->game.begin(options, reason)) {
    std::fprintf(stderr, "quarvex: %s\n", reason.c_str());
    report_page_state(0, "failed");
    return 2;
  }
  page->window = Window::open(1, false, reason);
  page->device = page->window ? GlDevice::create(*page->window, reason) : nullptr;
  if (page->device == nullptr) {
    fail("Direct3D の初期化に失敗しました。", reason);
    return 1;
  }
  fit_canvas(*page->window);
  load_device_data(*page->device, page->game.data_dir());
  page->unpaced = options.unpaced;
  page->host = std::make_unique<PageHost>(page->game.options(), page->game.data_dir(),
                                          *page->window, *page->device);
  report_page_state(0, "running");
  emscripten_set_main_loop_arg(tick, page.release(), 0, 0);
  // Unpaced, frames follow each other as fast as the browser lets them.
  if (options.unpaced) {
    emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
  } else {
    next_tick_in(0);
  }
  return 0;
}

}  // namespace quarvex
