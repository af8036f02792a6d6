#include "shell/bindings.h"

#include <cstring>
#include <initializer_list>

#include "lang/texts.h"

namespace quarvex {

const std::array<ActionInfo, kActionCount> kActions = {{
    {"up", N_("up / forward"), "title menu row up, cursor up, build list forward, drive forward"},
    {"down", N_("down / back"), "title menu row down, cursor down, build list back, drive back"},
    {"left", N_("left"), "previous stage or next side, cursor left, previous order, turn left"},
    {"right", N_("right"), "next stage or previous side, cursor right, next order, turn right"},
    {"mark", N_("mark"),
     "mark the point under the cursor or the selected unit; turret or side step"},
    {"aux", N_("aux"), "turret or side step the other way while driving"},
    {"select", N_("select / fire"), "start the stage, select, give the order, fire"},
    {"info", N_("information"), "the information box"},
    {"zoom_in", N_("zoom in"), "zoom in while held"},
    {"zoom_out", N_("zoom out"), "zoom out while held"},
    {"fast", N_("fast / back"), "faster cursor while held; back one level in the menus"},
    {"help", N_("help"), "show or hide the help panel"},
    {"pause", N_("pause"), "pause and resume"},
    {"menu", N_("menu"), "the menu: resume, restart, controls, title menu, quit"},
    {"screenshot", N_("screenshot"), "save the picture as quarvex-YYYYMMDD-HHMMSS.png"},
    {"fullscreen", N_("full screen"), "full screen on and off"},
    {"mute", N_("mute"), "sound off and on"},
    {"volume_down", N_("volume down"), "turn the sound down"},
    {"volume_up", N_("volume up"), "turn the sound up (and back on when muted)"},
    {"watch", N_("watch"), "title menu: watch the computer play the stage and side chosen"},
}};

namespace {

struct DefaultBinding {
  int action;
  std::initializer_list<const char*> keys;
  std::initializer_list<const char*> pad;
};

// The keypad first, then the laptop aliases: the number row and the arrows.
const DefaultBinding kDefaults[] = {
    {kKeyUp, {"Keypad 8", "8", "Up"}, {"dpup", "-lefty"}},
    {kKeyDown, {"Keypad 5", "5", "Down"}, {"dpdown", "+lefty"}},
    {kKeyLeft, {"Keypad 4", "4", "Left"}, {"dpleft", "-leftx"}},
    {kKeyRight, {"Keypad 6", "6", "Right"}, {"dpright", "+leftx"}},
    {kKeyMark, {"Keypad 7", "7"}, {"x"}},
    {kKeyAux, {"Keypad 9", "9"}, {"y"}},
    {kKeySelect, {"Space"}, {"a"}},
    {kKeyInfo, {"Keypad 0", "0"}, {"back"}},
    {kKeyZoomIn, {"Keypad 1", "1"}, {"leftshoulder"}},
    {kKeyZoomOut, {"Keypad 3", "3"}, {"rightshoulder"}},
    {kKeyFast, {"Tab"}, {"b"}},
    {kActionHelp, {"F1", "H"}, {}},
    {kActionPause, {"P", "Pause"}, {"start"}},
    {kActionMenu, {"Escape"}, {"guide"}},
    {kActionScreenshot, {"F12"}, {}},
    {kActionFullscreen, {"F11", "Alt+Return"}, {}},
    // Not game keys: the main row's minus and equals (plus with Shift), and the keypad's.
    {kActionMute, {"M"}, {}},
    {kActionVolumeDown, {"-", "Keypad -"}, {}},
    {kActionVolumeUp, {"=", "Keypad +"}, {}},
    {kActionWatch, {"W"}, {"rightstick"}},
};

Bindings make_defaults() {
  Bindings b;
  for (const DefaultBinding& d : kDefaults) {
    for (const char* name : d.keys) {
      KeyChord chord;
      int other = -1;
      if (parse_key_chord(name, chord)) bind_key(b, d.action, chord, other);
    }
    for (const char* name : d.pad) {
      int other = -1;
      bind_pad(b, d.action, parse_pad_input(name), other);
    }
  }
  return b;
}

bool in_range(int action) {
  return action >= 0 && action < kActionCount;
}

}  // namespace

int action_named(const char* name, size_t length) {
  for (int a = 0; a < kActionCount; ++a) {
    if (std::strlen(kActions[a].name) == length &&
        std::memcmp(kActions[a].name, name, length) == 0) {
      return a;
    }
  }
  return -1;
}

const Bindings& default_bindings() {
  static const Bindings defaults = make_defaults();
  return defaults;
}

BindResult bind_key(Bindings& b, int action, KeyChord chord, int& other) {
  other = -1;
  if (!in_range(action) || chord.scancode == 0) return BindResult::kNeedsPlainKey;
  if (action < kKeyCount && chord.mods != 0) return BindResult::kNeedsPlainKey;
  for (int a = 0; a < kActionCount; ++a) {
    const ActionKeys& k = b.keys[a];
    for (int i = 0; i < k.count; ++i) {
      if (k.keys[i] != chord) continue;
      if (a == action) return BindResult::kAlreadyBound;
      other = a;
      return BindResult::kTaken;
    }
  }
  ActionKeys& keys = b.keys[action];
  if (keys.count >= kMaxKeysPerAction) return BindResult::kFull;
  keys.keys[keys.count++] = chord;
  return BindResult::kAdded;
}

BindResult bind_pad(Bindings& b, int action, int input, int& other) {
  other = -1;
  if (!in_range(action) || input < 0 || input >= kPadInputs) return BindResult::kNeedsPlainKey;
  for (int a = 0; a < kActionCount; ++a) {
    const ActionPad& p = b.pad[a];
    for (int i = 0; i < p.count; ++i) {
      if (p.inputs[i] != input) continue;
      if (a == action) return BindResult::kAlreadyBound;
      other = a;
      return BindResult::kTaken;
    }
  }
  ActionPad& pad = b.pad[action];
  if (pad.count >= kMaxKeysPerAction) return BindResult::kFull;
  pad.inputs[pad.count++] = static_cast<int8_t>(input);
  return BindResult::kAdded;
}

void clear_keys(Bindings& b, int action) {
  if (in_range(action)) b.keys[action] = ActionKeys{};
}

void clear_pad(Bindings& b, int action) {
  if (in_range(action)) b.pad[action] = ActionPad{};
}

int action_of_key(const Bindings& b, KeyChord pressed) {
  int best = -1;
  int best_mods = -1;
  for (int a = 0; a < kActionCount; ++a) {
    const ActionKeys& k = b.keys[a];
    for (int i = 0; i < k.count; ++i) {
      const KeyChord bound = k.keys[i];
      if (bound.scancode != pressed.scancode || (bound.mods & ~pressed.mods) != 0) continue;
      const int mods = __builtin_popcount(bound.mods);
      if (mods > best_mods) {
        best = a;
        best_mods = mods;
      }
    }
  }
  return best;
}

int action_of_pad(const Bindings& b, int input) {
  for (int a = 0; a < kActionCount; ++a) {
    const ActionPad& p = b.pad[a];
    for (int i = 0; i < p.count; ++i) {
      if (p.inputs[i] == input) return a;
    }
  }
  return -1;
}

void game_keys_down(const Bindings& b, const uint8_t* keyboard, int count,
                    const std::array<bool, kPadInputs>& pad, std::array<bool, kKeyCount>& down) {
  down.fill(false);
  for (int k = 0; k < kKeyCount; ++k) {
    const ActionKeys& keys = b.keys[k];
    for (int i = 0; i < keys.count; ++i) {
      const int scancode = keys.keys[i].scancode;
      if (scancode >= 0 && scancode < count && keyboard[scancode] != 0) down[k] = true;
    }
    const ActionPad& inputs = b.pad[k];
    for (int i = 0; i < inputs.count; ++i) {
      const int input = inputs.inputs[i];
      if (input >= 0 && input < kPadInputs && pad[input]) down[k] = true;
    }
  }
}

}  // namespace quarvex
