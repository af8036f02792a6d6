#include "app/windowed_session.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/sound_controls.h"
#include "app/windowed_data.h"
#include "platform/system.h"
#include "replay/replay_folder.h"

namespace quarvex {

namespace {

void report_failure(const char* caption, const char* text, const std::string& reason) {
  std::fprintf(stderr, "quarvex: %s (%s)\n", text, reason.c_str());
  show_message_box(caption, text);
}

// The settings file, written with the defaults when there is none; its
// errors go to standard error (the help panel shows them too).
SettingsFile read_settings(const Options& options) {
  const std::string path =
      options.config_file.empty() ? default_settings_path() : options.config_file;
  SettingsFile settings = load_settings(path, true);
  if (path.empty()) {
    std::fprintf(stderr,
                 "quarvex: neither XDG_CONFIG_HOME nor HOME is set; settings are not kept\n");
  }
  for (const std::string& error : settings.errors)
    std::fprintf(stderr, "quarvex: %s\n", error.c_str());
  return settings;
}

// Where the stages played are recorded; said once when there is no such place.
std::string replay_folder() {
  std::string folder = default_replay_folder();
  if (folder.empty()) {
    std::fprintf(stderr, "quarvex: neither XDG_DATA_HOME nor HOME is set; no replays are kept\n");
  }
  return folder;
}

std::unique_ptr<Window> open_window(const Options& options, const Settings& settings,
                                    std::string& reason) {
#ifdef __EMSCRIPTEN__
  // The page sizes its canvas to the page itself, and a browser grants full
  // screen only to a key press.
  (void)options;
  (void)settings;
  return Window::open(1, false, reason);
#else
  int scale = options.scale > 0 ? options.scale : settings.window_scale;
  if (scale == 0) scale = default_scale();
  return Window::open(scale, options.fullscreen || settings.fullscreen, reason);
#endif
}

}  // namespace

int open_windowed(const Options& options, WindowedSession& session) {
  std::string reason;
  session.settings = read_settings(options);
  if (!options.no_replay && session.settings.settings.record_replays &&
      options.replay_file.empty()) {
    session.game.keep_replays_in(replay_folder());
  }
  if (!session.game.begin(options, reason)) {
    std::fprintf(stderr, "quarvex: %s\n", reason.c_str());
    // A replay may be opened from a file manager, where no terminal shows the line.
    if (!options.replay_file.empty()) show_message_box("quarvex", reason.c_str());
    return 2;
  }
  session.window = open_window(options, session.settings.settings, reason);
  session.device = session.window ? GlDevice::create(*session.window, reason) : nullptr;
  if (session.device == nullptr) {
    // A start-up that failed is not a success.
    report_failure("quarvex", "Direct3D の初期化に失敗しました。", reason);
    return 1;
  }
  const std::string& data_dir = session.game.data_dir();
  std::vector<std::string> missing;
  load_device_data(*session.device, data_dir, missing);
  session.audio = start_sound(options, data_dir, sound_levels(session.settings.settings), missing);
  report_missing(data_dir, missing);
  if (!start_gamepads(reason)) std::fprintf(stderr, "quarvex: no gamepads: %s\n", reason.c_str());
  session.input.set_dead_zone(session.settings.settings.dead_zone);
  session.shell = std::make_unique<Shell>(session.settings);
  return 0;
}

void close_windowed(WindowedSession& session) {
  session.audio.reset();
  session.device.reset();
  session.window.reset();
}

}  // namespace quarvex
