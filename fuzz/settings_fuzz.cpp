// Settings files are the player's own text and so untrusted: any text must
// give settings within their ranges, with every problem one line naming the
// file, and no key bound to two actions. Writing the settings back, into the
// old text or as a whole file, must read back as the same settings.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "lang/languages.h"
#include "shell/game_address.h"
#include "shell/player_name.h"
#include "shell/settings.h"
#include "world/shown_text.h"

namespace {

bool bindings_sound(const quarvex::Bindings& b) {
  for (int a = 0; a < quarvex::kActionCount; ++a) {
    if (b.keys[a].count > quarvex::kMaxKeysPerAction) return false;
    if (b.pad[a].count > quarvex::kMaxKeysPerAction) return false;
    for (int i = 0; i < b.keys[a].count; ++i) {
      const quarvex::KeyChord k = b.keys[a].keys[i];
      if (k.scancode == 0 || (a < quarvex::kKeyCount && k.mods != 0)) return false;
      for (int other = 0; other < quarvex::kActionCount; ++other) {
        for (int j = 0; j < b.keys[other].count; ++j) {
          if ((other != a || j != i) && b.keys[other].keys[j] == k) return false;
        }
      }
    }
    for (int i = 0; i < b.pad[a].count; ++i) {
      const int input = b.pad[a].inputs[i];
      if (input < 0 || input >= quarvex::kPadInputs) return false;
      if (quarvex::action_of_pad(b, input) != a) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> errors;
  const quarvex::Settings s = quarvex::parse_settings(text, "fuzz.toml", errors);
  for (const std::string& e : errors) {
    if (e.rfind("fuzz.toml:", 0) != 0 || e.find('\n') != std::string::npos) std::abort();
  }
  if (s.window_scale < 0 || s.window_scale > quarvex::kMaxWindowScale) std::abort();
  if (s.master_volume < 0 || s.master_volume > 100) std::abort();
  if (s.effects_volume < 0 || s.effects_volume > 100) std::abort();
  if (!(s.dead_zone >= 0.05 && s.dead_zone <= 0.95)) std::abort();
  if (!bindings_sound(s.bindings)) std::abort();
  if (s.language != "auto" && !quarvex::is_language_code(s.language)) std::abort();
  // The name and the addresses are shown and sent to other players as they are.
  if (quarvex::clean_line(s.player_name, quarvex::kMaxNameCodePoints) != s.player_name) {
    std::abort();
  }
  if (s.addresses.size() > quarvex::kRememberedAddresses) std::abort();
  for (const std::string& a : s.addresses) {
    if (a.empty() || !quarvex::is_plain_text(a, false)) std::abort();
  }

  std::vector<std::string> again;
  if (!(quarvex::parse_settings(quarvex::settings_text(s), "whole", again) == s) || !again.empty())
    std::abort();
  if (errors.empty()) {
    quarvex::Settings changed = s;
    quarvex::clear_keys(changed.bindings, quarvex::kActionHelp);
    int other = -1;
    quarvex::KeyChord f2;
    quarvex::parse_key_chord("F2", f2);
    quarvex::bind_key(changed.bindings, quarvex::kActionHelp, f2, other);
    changed.language = s.language == "ja" ? "auto" : "ja";
    changed.player_name = s.player_name == "Ada" ? "" : "Ada";
    quarvex::remember_address(changed.addresses, "box.lan:7000");
    const std::string updated = quarvex::updated_settings_text(text, changed);
    if (!(quarvex::parse_settings(updated, "updated", again) == changed) || !again.empty())
      std::abort();
  }
  return 0;
}
