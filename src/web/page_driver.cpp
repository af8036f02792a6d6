// The windowed game in a browser page. A page cannot loop: the browser calls
// tick() again and again, and each call runs one WindowedHost::step of the
// same game the desktop's loop runs, then hands the page back to the
// browser until the step's pacing is served.

#include <emscripten.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/drivers.h"
#include "app/windowed_play_together.h"
#include "app/windowed_session.h"
#include "platform/system.h"
#include "platform/window.h"
#include "shell/game_address.h"
#include "shell/player_name.h"
#include "stages/player_stages.h"
#include "web/browser.h"
#include "web/late_sounds.h"
#include "web/page_host.h"
#include "web/page_network.h"
#include "web/page_texts.h"

namespace quarvex {

namespace {

// clang-format off
EM_JS(void, js_stage_problems, (const char* lines), {
  if (typeof quarvexStageProblems === 'function') quarvexStageProblems(UTF8ToString(lines));
});
// clang-format on

// How often the page looks again while the tab is hidden, or while a
// stage's ground is on its way.
constexpr int kHiddenTickMs = 100;
constexpr int kGroundTickMs = 20;

struct Page {
  WindowedSession session;
  std::unique_ptr<PageHost> host;
  bool unpaced = false;
  int language = -1;          // the language the page's own words are in
  bool sounds_asked = false;  // after the first step
  bool sounds_settled = false;
  PageNetwork network;
  bool network_scripted = false;  // the link's game with --frames: the run ends with it
};

// The sounds are fetched once the first frame is up, and taken by the
// game's sound once they are all here.
void follow_sounds(Page& page) {
  GameAudio* audio = page.session.audio.get();
  if (audio == nullptr || page.sounds_settled) return;
  if (!page.sounds_asked) {
    page.sounds_asked = true;
    fetch_sounds();
    return;
  }
  page.sounds_settled = sounds_settled(*audio, page.session.game.data());
}

// The page's one run, for the page's own script to reach when the page goes
// away (see quarvex_keep_recordings); it lives as long as the page.
Page* page_running = nullptr;

// The page's own words follow the game's language.
void follow_language(Page& page) {
  const Shell& shell = *page.session.shell;
  if (shell.language() == page.language) return;
  page.language = shell.language();
  show_page_texts(shell.texts(), shell.languages().at(page.language).code);
}

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

bool in_play(const Game& game) {
  return game.world().game_phase != 0 && !game.replaying();
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

// The page's grounds come from beside it when a stage wants one, for a
// networked game as for any other.
void start_network(Page& page, NetworkGameParams params) {
  PageHost& host = *page.host;
  params.load_ground = [&host](const char* path) { host.load_ground_image(path); };
  page.network.start(std::move(params), page.session);
}

// The page cannot take connections (the Play together page offers no
// address to host on): a request to host is only told.
void start_requested_game(Page& page, const NetworkRequest& request) {
  WindowedSession& s = page.session;
  if (request.kind == NetworkRequest::kHost) {
    tell_page_cannot_host(*s.shell);
    return;
  }
  start_network(page, request_params(request, s.game.options(), s.replay_folder));
}

// A page served by a game server (quarvex-server --web) offers that server
// first on the Join page: a friend only types the code.
void offer_own_server(SettingsFile& settings) {
  const std::string address = own_server_address();
  if (!address.empty()) remember_address(settings.settings.addresses, address);
}

// The game the page's link asks for (?join=ws://HOST:PORT&code=CODE, and
// &watch=1 to watch): any open side, under the link's name or the settings'.
NetworkRequest link_request(const Options& options, const Shell& shell) {
  NetworkRequest request;
  request.kind = options.spectate ? NetworkRequest::kWatch : NetworkRequest::kJoin;
  request.url = options.connect;
  request.code = options.code;
  request.name = options.player_name.empty() ? player_name(shell.settings().settings.player_name)
                                             : options.player_name;
  return request;
}

// A pass of the networked game; when it is over the title menu is back, or
// the run ends when the link's game had a frame limit.
void play_network(Page& page) {
  const bool hidden = page_hidden();
  if (!hidden) fit_canvas(*page.session.window);
  page.network.step(hidden);
  // The ground on its way is put in place when here; the game never waits for it.
  page.host->waiting_for_ground();
  if (page.network.active()) {
    report_page_state(page.network.frames_run(), hidden ? "hidden" : "network", true);
    next_tick_in(hidden ? kHiddenTickMs : page.network.wait_ms());
    return;
  }
  page.session.shell->set_play_mode(PlayMode::kPlay);
  if (page.network_scripted) {
    emscripten_cancel_main_loop();
    report_page_state(page.network.result().frames,
                      page.network.result().end.status == 0 ? "ended" : "failed");
    return;
  }
  next_tick_in(0);
}

void tick(void* arg) {
  Page& page = *static_cast<Page*>(arg);
  if (page.network.active()) {
    play_network(page);
    return;
  }
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
  if (host.waiting_for_ground()) {
    report_page_state(page.session.game.frames_run(), "loading", in_play(page.session.game));
    next_tick_in(kGroundTickMs);
    return;
  }
  if (!host.step(page.session.game)) {
    end_run(page);
    return;
  }
  if (auto request = host.take_network_request()) start_requested_game(page, *request);
  for (const std::string& file : host.take_saved_pictures()) offer_download(file);
  follow_language(page);
  follow_sounds(page);
  const Game& game = page.session.game;
  report_page_state(game.frames_run(),
                    host.waiting_for_ground() ? "loading" : shell_state(*page.session.shell),
                    in_play(game));
  if (!page.unpaced) next_tick_in(host.wait_left());
}

}  // namespace

// The page is being hidden or left (web/page.js): the frames of the stage
// in play not yet in its replay file go there now, for the page to store.
extern "C" EMSCRIPTEN_KEEPALIVE void quarvex_keep_recordings() {
  if (page_running != nullptr) page_running->session.game.write_recordings_now();
}

// The page's Stages panel (web/page.js) checks a stage uploaded with the
// game's own reader before it goes into the stages folder. Returns 1 when
// it reads; else 0, and the reader's messages, one a line, go to the page.
extern "C" EMSCRIPTEN_KEEPALIVE int quarvex_check_stage(const char* path) {
  PlayableStage stage;
  std::vector<std::string> errors;
  if (read_player_stage(path != nullptr ? path : "", stage, errors)) return 1;
  std::string lines;
  for (const std::string& error : errors) lines += (lines.empty() ? "" : "\n") + error;
  js_stage_problems(lines.c_str());
  return 0;
}

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
  offer_own_server(s.settings);
  page->host = std::make_unique<PageHost>(s.game.options(), *s.window, *s.device, s.input, *s.shell,
                                          s.audio.get());
  page->unpaced = options.unpaced;
  follow_language(*page);
  report_page_state(0, "running");
  if (!options.connect.empty()) {
    page->network_scripted = options.frames.has_value();
    start_network(*page, request_params(link_request(options, *s.shell), options, s.replay_folder));
  }
  page_running = page.get();
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
