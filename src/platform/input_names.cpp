#include "platform/input_names.h"

#include <SDL.h>

#include <array>
#include <cctype>
#include <string>

namespace quarvex {

namespace {

static_assert(kPadButtons == SDL_CONTROLLER_BUTTON_MAX);

constexpr std::array<const char*, kPadInputs - kPadButtons> kAxisNames = {
    "-leftx",  "+leftx",  "-lefty",  "+lefty",       "-rightx",
    "+rightx", "-righty", "+righty", "+lefttrigger", "+righttrigger"};

struct Modifier {
  const char* prefix;
  uint8_t bit;
};
constexpr Modifier kModifiers[] = {{"Ctrl+", kModCtrl}, {"Alt+", kModAlt}, {"Shift+", kModShift}};

bool starts_with_ignoring_case(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && starts_with_ignoring_case(a, b);
}

// "Scancode 100": a key by SDL's number for it.
constexpr std::string_view kNumberPrefix = "Scancode ";

int scancode_from_number(std::string_view name) {
  if (!starts_with_ignoring_case(name, kNumberPrefix)) return SDL_SCANCODE_UNKNOWN;
  name.remove_prefix(kNumberPrefix.size());
  if (name.empty() || name.size() > 3) return SDL_SCANCODE_UNKNOWN;
  int n = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return SDL_SCANCODE_UNKNOWN;
    n = n * 10 + (c - '0');
  }
  return n < SDL_NUM_SCANCODES ? n : SDL_SCANCODE_UNKNOWN;
}

}  // namespace

bool parse_key_chord(std::string_view name, KeyChord& out) {
  KeyChord chord;
  bool stripped = true;
  while (stripped) {
    stripped = false;
    for (const Modifier& m : kModifiers) {
      const std::string_view prefix = m.prefix;
      // "Keypad +" and the like end in '+' but are keys, not prefixes.
      if (name.size() > prefix.size() && starts_with_ignoring_case(name, prefix)) {
        chord.mods |= m.bit;
        name.remove_prefix(prefix.size());
        stripped = true;
      }
    }
  }
  if (name.empty() || name.size() > 64) return false;
  int scancode = scancode_from_number(name);
  if (scancode == SDL_SCANCODE_UNKNOWN) {
    scancode = SDL_GetScancodeFromName(std::string(name).c_str());
  }
  if (scancode == SDL_SCANCODE_UNKNOWN) return false;
  chord.scancode = static_cast<int16_t>(scancode);
  out = chord;
  return true;
}

std::string key_chord_name(KeyChord chord) {
  std::string name;
  for (const Modifier& m : kModifiers) {
    if ((chord.mods & m.bit) != 0) name += m.prefix;
  }
  const auto scancode = static_cast<SDL_Scancode>(chord.scancode);
  const char* key = chord.scancode > 0 && chord.scancode < SDL_NUM_SCANCODES
                        ? SDL_GetScancodeName(scancode)
                        : nullptr;
  // Keys SDL has no name for (the ISO key beside Z, the Japanese and Korean
  // keys) and keys whose name is another key's ("Return" of the second
  // Return key) are written by number, so every name reads back.
  if (key != nullptr && key[0] != '\0' && SDL_GetScancodeFromName(key) == scancode) {
    name += key;
  } else {
    name += kNumberPrefix;
    name += std::to_string(chord.scancode);
  }
  return name;
}

std::string key_chord_short_name(KeyChord chord) {
  std::string name = key_chord_name(chord);
  if (name.ends_with("Escape")) name.replace(name.size() - 6, 6, "Esc");
  const size_t number = name.find(kNumberPrefix);
  if (number != std::string::npos) name.replace(number, kNumberPrefix.size(), "Key ");
  const std::string_view keypad = "Keypad ";
  const size_t at = name.find(keypad);
  if (at != std::string::npos) name.replace(at, keypad.size(), "KP");
  return name;
}

bool is_modifier_key(int scancode) {
  return scancode >= SDL_SCANCODE_LCTRL && scancode <= SDL_SCANCODE_RGUI;
}

int parse_pad_input(std::string_view name) {
  for (int b = 0; b < kPadButtons; ++b) {
    const char* button =
        SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(b));
    if (button != nullptr && equal_ignoring_case(name, button)) return b;
  }
  for (size_t a = 0; a < kAxisNames.size(); ++a) {
    const std::string_view axis = kAxisNames[a];
    // A trigger has one direction; its sign may be left out.
    if (equal_ignoring_case(name, axis) || (a >= 8 && equal_ignoring_case(name, axis.substr(1)))) {
      return kPadButtons + static_cast<int>(a);
    }
  }
  return -1;
}

const char* pad_input_name(int input) {
  if (input >= 0 && input < kPadButtons) {
    const char* button =
        SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(input));
    return button != nullptr ? button : "?";
  }
  if (input >= kPadButtons && input < kPadInputs) return kAxisNames[input - kPadButtons];
  return "?";
}

}  // namespace quarvex
