// The windowed game in a browser page. A page cannot loop: the browser calls
// tick() again and again, and each call runs one WindowedHost::step of the
// same game the desktop's loop runs, then hands the page back to the
// browser until the step's pacing is served.

#include <emscripten.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/drivers.h"
#include "app/windowed_session.h"
#include "platform/system.h"
#include "platform/window.h"
#include "web/browser.h"
#include "web/page_host.h"

namespace quarvex {

namespace {

// How often the page looks again while the tab is hidden.
constexpr int kHiddenTickMs = 100;

struct Page {
  WindowedSession session;
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

const char* shell_state(const Shell& shell) {
  if (shell.message_shown()) return "message";
  if (shell.screen() != ShellScreen::kNone) return "menu";
  if (shell.paused()) return "paused";
  return "running";
}

// Writes the run's outputs, offers the files it wrote as downloads, and
// leaves the last picture on the page.
void end_run(Page& page) {
  emscripten_cancel_main_loop();
  Game& game = page.session.game;
  const int status = game.finish();
  const Options& options = game.options();
  for (const std::string* file : {&options.record_file, &options.dump_file}) {
    if (!file->empty()) offer_download(*file);
  }
  report_page_state(game.frames_run(), status == 0 ? "ended" : "failed");
}

void tick(void* arg) {
  Page& page = *static_cast<Page*>(arg);
  PageHost& host = *page.host;
  // A hidden tab runs nothing and is silent; the shell hears of the focus lost.
  if (page_hidden()) {
    if (page.session.audio != nullptr) page.session.audio->set_paused(true);
    next_tick_in(kHiddenTickMs);
    return;
  }
  fit_canvas(*page.session.window);
  if (host.wait_left() > 0) {
    next_tick_in(host.wait_left());
    return;
  }
  if (!host.step(page.session.game)) {
    end_run(page);
    return;
  }
  for (const std::string& file : host.take_saved_pictures()) offer_download(file);
  report_page_state(page.session.game.frames_run(), shell_state(*page.session.shell));
  if (!page.unpaced) next_tick_in(host.wait_left());
}

}  // namespace

// Sets the page up and returns at once; the browser runs the steps. The Page
// lives as long as the page does.
int run_windowed(const Options& options) {
  std::string reason;
  if (!start_video(reason)) {
    std::fprintf(stderr, "quarvex: cannot start SDL's video (%s)\n", reason.c_str());
    report_page_state(0, "failed");
    return 1;
  }
  auto page = std::make_unique<Page>();
  const int status = open_windowed(options, page->session);
  if (status != 0) {
    report_page_state(0, "failed");
    return status;
  }
  WindowedSession& s = page->session;
  fit_canvas(*s.window);
  page->host = std::make_unique<PageHost>(s.game.options(), s.game.data_dir(), *s.window, *s.device,
                                          s.input, *s.shell, s.audio.get());
  page->unpaced = options.unpaced;
  report_page_state(0, "running");
  emscripten_set_main_loop_arg(tick, page.release(), 0, 0);
  // Unpaced, steps follow each other as fast as the browser lets them.
  if (options.unpaced) {
    emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
  } else {
    next_tick_in(0);
  }
  return 0;
}

}  // namespace quarvex
