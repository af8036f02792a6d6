#include "app/windowed_session.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/sound_controls.h"
#include "app/windowed_data.h"
#include "platform/system.h"
#include "replay/replay_folder.h"

namespace quarvex {

namespace {

// Standard error in English; the box in the player's language.
void report_failure(const Texts& texts, const char* english, const std::string& reason) {
  std::fprintf(stderr, "quarvex: %s (%s)\n", english, reason.c_str());
  show_message_box("quarvex", texts.tr(english));
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

// English and every catalogue of the game's own data (a --data folder lays
// stages, pictures and sounds over it, not texts); each problem of a
// catalogue goes to standard error. Returns the language "auto" stands for.
int read_languages(const std::string& data_dir, const Settings& settings, LanguageSet& languages) {
  std::vector<std::string> problems;
  languages.add_folder((std::filesystem::path(data_dir) / "lang").string(), problems);
  for (const std::string& problem : problems)
    std::fprintf(stderr, "quarvex: %s\n", problem.c_str());
  if (settings.language != "auto" && language_for(languages, settings.language) < 0) {
    std::fprintf(stderr,
                 "quarvex: the game has no texts in the language '%s'; it follows the "
                 "system's languages\n",
                 settings.language.c_str());
  }
  return choose_language(languages, "auto", preferred_languages());
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
    session.replay_folder = replay_folder();
    session.game.keep_replays_in(session.replay_folder);
  }
  if (!session.game.begin(options, reason)) {
    std::fprintf(stderr, "quarvex: %s\n", reason.c_str());
    // A replay may be opened from a file manager, where no terminal shows the
    // line. A page shows standard error in its status line, and a browser's
    // box (an alert) would only hold the page.
#ifndef __EMSCRIPTEN__
    if (!options.replay_file.empty()) show_message_box("quarvex", reason.c_str());
#endif
    return session.game.failure_status();
  }
  const Settings& settings = session.settings.settings;
  const int system_language =
      read_languages(session.game.data().folders.back(), settings, session.languages);
  const int chosen =
      settings.language == "auto" ? -1 : language_for(session.languages, settings.language);
  const Texts texts = session.languages.texts(chosen >= 0 ? chosen : system_language);
  session.window = open_window(options, settings, reason);
  session.device = session.window ? GlDevice::create(*session.window, reason) : nullptr;
  if (session.device == nullptr) {
    // A start-up that failed is not a success.
    report_failure(texts, N_("OpenGL could not be started."), reason);
    return 1;
  }
  const DataFolders& data = session.game.data();
  std::vector<std::string> missing;
  load_device_data(*session.device, data, missing);
  session.audio = start_sound(options, data, sound_levels(session.settings.settings), missing);
#ifdef __EMSCRIPTEN__
  // The page fetches its grounds and sounds once it runs (src/web/late_files.h).
  std::erase_if(missing, [](const std::string& file) {
    return file.ends_with(".bmp") || file.starts_with("sounds/");
  });
#endif
  report_missing(data, missing);
  if (!start_gamepads(reason)) std::fprintf(stderr, "quarvex: no gamepads: %s\n", reason.c_str());
  session.input.set_dead_zone(session.settings.settings.dead_zone);
  session.shell = std::make_unique<Shell>(session.settings, session.languages, system_language);
  return 0;
}

void close_windowed(WindowedSession& session) {
  session.audio.reset();
  session.device.reset();
  session.window.reset();
}

}  // namespace quarvex
