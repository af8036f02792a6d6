#pragma once
// The player's settings: the window, sound, replays, key and gamepad
// bindings. Kept as TOML in $XDG_CONFIG_HOME/quarvex/settings.toml; every
// entry is optional and a bad one takes its default.

#include <string>
#include <string_view>
#include <vector>

#include "shell/bindings.h"

namespace quarvex {

constexpr int kMaxWindowScale = 16;

struct Settings {
  int window_scale = 0;  // 0: the largest that fits the desktop
  bool fullscreen = false;
  bool pause_on_focus_loss = true;
  int master_volume = 100;  // 0..100
  int effects_volume = 100;
  bool mute = false;
  bool record_replays = true;
  double dead_zone = 0.25;  // of a stick's travel
  Bindings bindings = default_bindings();
  bool operator==(const Settings&) const = default;
};

// Reads settings from text. Every problem adds one line "<file>:<line>: <what
// is wrong>" to errors and leaves that entry at its default; the rest of the
// text is still used, also after a syntax error (the line at fault is left
// out and the text read again).
Settings parse_settings(std::string_view text, const std::string& file_name,
                        std::vector<std::string>& errors);

// The whole file, with a comment on every entry.
std::string settings_text(const Settings& s);

// `old_text` (which reads without errors) changed so that it reads as `s`,
// its comments and layout kept: only the sound, key and gamepad entries that
// differ are rewritten. When that cannot be done, the whole file as
// settings_text.
std::string updated_settings_text(std::string_view old_text, const Settings& s);

// $XDG_CONFIG_HOME/quarvex/settings.toml, else ~/.config/quarvex/settings.toml;
// empty when neither variable is set.
std::string default_settings_path();

struct SettingsFile {
  std::string path;  // empty: the settings live only in memory
  Settings settings;
  std::vector<std::string> errors;
  // A file that had an error is never written: the player's text stays.
  bool writable() const { return !path.empty() && errors.empty(); }
};

// Reads the file; a missing one is written with the defaults when `create`.
SettingsFile load_settings(const std::string& path, bool create);
// Writes the settings, keeping what it can of the file's text, through a
// temporary file so a failure never leaves half a file. False with a
// message when the file is not writable or the writing failed.
bool save_settings(SettingsFile& file, std::string& error);

}  // namespace quarvex
