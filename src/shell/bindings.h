#pragma once
// Which keys and gamepad inputs do what. The first kKeyCount actions are the
// eleven game keys, in Key order; after them come the shell's own actions.
// A later action is added by giving it a place before kActionCount, a row in
// kActions and its defaults.

#include <array>
#include <cstdint>

#include "platform/input_names.h"
#include "world/world.h"

namespace quarvex {

enum Action : int {
  kActionHelp = kKeyCount,
  kActionPause,
  kActionMenu,
  kActionScreenshot,
  kActionFullscreen,
  kActionMute,
  kActionVolumeDown,
  kActionVolumeUp,
  kActionWatch,
  kActionCount
};

struct ActionInfo {
  const char* name;         // in the settings file
  const char* label;        // on the Controls page
  const char* description;  // the settings file's comment
};
extern const std::array<ActionInfo, kActionCount> kActions;

// -1 when no action has that name.
int action_named(const char* name, size_t length);

constexpr int kMaxKeysPerAction = 8;

struct ActionKeys {
  std::array<KeyChord, kMaxKeysPerAction> keys{};
  uint8_t count = 0;
  bool operator==(const ActionKeys&) const = default;
};

struct ActionPad {
  std::array<int8_t, kMaxKeysPerAction> inputs{};
  uint8_t count = 0;
  bool operator==(const ActionPad&) const = default;
};

struct Bindings {
  std::array<ActionKeys, kActionCount> keys{};
  std::array<ActionPad, kActionCount> pad{};
  bool operator==(const Bindings&) const = default;
};

const Bindings& default_bindings();

enum class BindResult {
  kAdded,
  kAlreadyBound,  // to this action already
  kTaken,         // bound to another action; `other` says which
  kFull,          // the action has kMaxKeysPerAction already
  kNeedsPlainKey  // a game key is a key held alone, without modifiers
};

BindResult bind_key(Bindings& b, int action, KeyChord chord, int& other);
BindResult bind_pad(Bindings& b, int action, int input, int& other);
void clear_keys(Bindings& b, int action);
void clear_pad(Bindings& b, int action);

// The action a key chord is bound to, -1 for none. A chord bound with fewer
// modifiers than are held still counts; the binding with the most matching
// modifiers wins (Alt+Return over Return).
int action_of_key(const Bindings& b, KeyChord pressed);
int action_of_pad(const Bindings& b, int input);

// The eleven game keys from the keyboard state (indexed by scancode, `count`
// entries) and the gamepads.
void game_keys_down(const Bindings& b, const uint8_t* keyboard, int count,
                    const std::array<bool, kPadInputs>& pad, std::array<bool, kKeyCount>& down);

}  // namespace quarvex
