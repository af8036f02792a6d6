#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/drivers.h"
#include "app/game.h"
#include "app/sound_controls.h"
#include "app/windowed_host.h"
#include "platform/font.h"
#include "platform/gl_device.h"
#include "platform/input.h"
#include "platform/system.h"
#include "platform/window.h"
#include "replay/replay_folder.h"
#include "shell/settings.h"
#include "shell/shell.h"

namespace quarvex {

namespace {

constexpr const char* kAtlasFiles[] = {"t0.dds", "t1.dds", "t2.dds", "t3.dds",
                                       "t4.dds", "t5.dds", "ts.dds", "tc.dds"};
constexpr int kFontHeight = 20;

std::string in_dir(const std::string& dir, const std::string& file) {
  return (std::filesystem::path(dir) / file).string();
}

void report_failure(const char* caption, const char* text, const std::string& reason) {
  std::fprintf(stderr, "quarvex: %s (%s)\n", text, reason.c_str());
  show_message_box(caption, text);
}

// Atlases into slots 0..7; a file that fails leaves its slot empty.
void load_atlases(GlDevice& device, const std::string& data_dir,
                  std::vector<std::string>& missing) {
  for (int slot = 0; slot < 8; ++slot) {
    std::string error;
    if (!device.load_texture(slot, in_dir(data_dir, kAtlasFiles[slot]), error)) {
      missing.push_back(kAtlasFiles[slot]);
    }
  }
}

void load_font(GlDevice& device, std::vector<std::string>& missing) {
  const std::string path = find_japanese_font();
  std::string error;
  std::unique_ptr<Font> font = path.empty() ? nullptr : Font::open(path, kFontHeight, error);
  if (font == nullptr) {
    missing.push_back("a Japanese font (install fonts-ipafont-gothic)");
    return;
  }
  device.set_font(std::move(font));
}

void note_missing_stages(const std::string& data_dir, std::vector<std::string>& missing) {
  for (int stage = 1; stage <= 3; ++stage) {
    for (const char* extension : {".aod", ".bmp"}) {
      const std::string file = "map" + std::to_string(stage) + extension;
      if (!std::filesystem::exists(in_dir(data_dir, file))) missing.push_back(file);
    }
  }
}

// The game still runs without them; one line says what it did not find.
void report_missing(const std::string& data_dir, const std::vector<std::string>& missing) {
  if (missing.empty()) return;
  std::string line = "quarvex: not found in " + data_dir + ":";
  for (const std::string& file : missing) line += " " + file;
  std::fprintf(stderr, "%s\n", line.c_str());
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

void run_loop(Game& game, Window& window, GlDevice& device, SettingsFile& settings,
              GameAudio* audio) {
  std::string error;
  if (!start_gamepads(error)) std::fprintf(stderr, "quarvex: no gamepads: %s\n", error.c_str());
  Input input;
  input.set_dead_zone(settings.settings.dead_zone);
  Shell shell(settings);
  WindowedHost host(game.options(), game.data_dir(), window, device, input, shell, audio);
  while (host.step(game)) {
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
  SettingsFile settings = read_settings(options);
  if (!options.no_replay && settings.settings.record_replays && options.replay_file.empty()) {
    game.keep_replays_in(replay_folder());
  }
  if (!game.begin(options, reason)) {
    std::fprintf(stderr, "quarvex: %s\n", reason.c_str());
    // A replay may be opened from a file manager, where no terminal shows the line.
    if (!options.replay_file.empty()) show_message_box("quarvex", reason.c_str());
    status = 2;
  } else {
    int scale = options.scale > 0 ? options.scale : settings.settings.window_scale;
    if (scale == 0) scale = default_scale();
    const bool fullscreen = options.fullscreen || settings.settings.fullscreen;
    std::unique_ptr<Window> window = Window::open(scale, fullscreen, reason);
    std::unique_ptr<GlDevice> device = window ? GlDevice::create(*window, reason) : nullptr;
    if (device == nullptr) {
      // A start-up that failed is not a success.
      report_failure("quarvex", "Direct3D の初期化に失敗しました。", reason);
      status = 1;
    } else {
      const std::string& data_dir = game.data_dir();
      std::vector<std::string> missing;
      load_atlases(*device, data_dir, missing);
      load_font(*device, missing);
      note_missing_stages(data_dir, missing);
      std::unique_ptr<GameAudio> audio =
          start_sound(options, data_dir, sound_levels(settings.settings), missing);
      report_missing(data_dir, missing);
      run_loop(game, *window, *device, settings, audio.get());
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
