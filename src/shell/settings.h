#pragma once
// The player's settings: the language, the window, sound, replays, the
// player's name and the game addresses used last, key and gamepad bindings. Kept as TOML in
// $XDG_CONFIG_HOME/quarvex/settings.toml; every entry is optional and a bad one takes its default.

#include <string>
#include <string_view>
#include <vector>

#include "shell/bindings.h"

namespace quarvex {

constexpr int kMaxWindowScale = 16;
constexpr size_t kRememberedAddresses = 5;
// Longer than any host name (253) with a scheme and a port.
constexpr size_t kMaxAddressCharacters = 280;

struct Settings {
  // "auto": the first of the system's languages that the game has; or a
  // language code ("en", "de", "ja").
  std::string language = "auto";
  int window_scale = 0;  // 0: the largest that fits the desktop
  bool fullscreen = false;
  bool pause_on_focus_loss = true;
  int master_volume = 100;  // 0..100
  int effects_volume = 100;
  bool mute = false;
  bool record_replays = true;
  double dead_zone = 0.25;  // of a stick's travel
  // The name other players see; empty: the system's user name.
  std::string player_name;
  // The game addresses joined last, newest first, at most kRememberedAddresses.
  std::vector<std::string> addresses;
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
// its comments and layout kept: only the language, sound, key and gamepad
// entries that differ are rewritten. When that cannot be done, the whole file as
// settings_text.
std::string updated_settings_text(std::string_view old_text, const Settings& s);

// $XDG_CONFIG_HOME/quarvex/settings.toml, else ~/.config/quarvex/settings.toml;
// empty when neither variable is set.
std::string default_settings_path();

struct SettingsFile {
  std::string path;   // empty: the settings live only in memory
  Settings settings;  // as the game uses them
  Settings saved;     // as the game last read or wrote them
  std::vector<std::string> errors;
};

// Reads the file; a missing one is written with the defaults when `create`.
SettingsFile load_settings(const std::string& path, bool create);
// Puts what the game changed since it last read or wrote the file into the
// file as it is now, entry by entry, keeping its text and every other entry
// (the player may have edited it meanwhile). A file that now has an error is
// never written: its errors join `errors` and the change lasts for this run.
// The text goes through a temporary file beside the file (behind a link,
// where the link points), so a failure leaves the old file as it was, and
// is read back before the save counts. False with a message when nothing
// was written.
bool save_settings(SettingsFile& file, std::string& error);

// An error that begins with the settings file's path, with the folder left
// out: screens have room for the file's name only.
std::string without_folder(const std::string& error, const std::string& path);

}  // namespace quarvex
