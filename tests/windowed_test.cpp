// The windowed game's pieces that need no display: the default keys and
// their laptop aliases, screenshot names, the display check.

#include <SDL_keyboard.h>
#include <SDL_scancode.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/windowed_host.h"
#include "platform/window.h"
#include "shell/bindings.h"

namespace quarvex {
namespace {

std::array<bool, kKeyCount> keys_for(const std::vector<SDL_Scancode>& held, int count) {
  std::vector<uint8_t> state(SDL_NUM_SCANCODES, 0);
  for (SDL_Scancode s : held) state[s] = 1;
  std::array<bool, kKeyCount> down{};
  game_keys_down(default_bindings(), state.data(), count, {}, down);
  return down;
}

TEST(GameKeys, KeypadAndLaptopAliasesFeedTheSameKeys) {
  const auto keypad =
      keys_for({SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_0, SDL_SCANCODE_TAB}, SDL_NUM_SCANCODES);
  EXPECT_TRUE(keypad[kKeyUp]);
  EXPECT_TRUE(keypad[kKeyInfo]);
  EXPECT_TRUE(keypad[kKeyFast]);
  EXPECT_FALSE(keypad[kKeyDown]);

  const auto row =
      keys_for({SDL_SCANCODE_7, SDL_SCANCODE_1, SDL_SCANCODE_3, SDL_SCANCODE_9}, SDL_NUM_SCANCODES);
  EXPECT_TRUE(row[kKeyMark]);
  EXPECT_TRUE(row[kKeyZoomIn]);
  EXPECT_TRUE(row[kKeyZoomOut]);
  EXPECT_TRUE(row[kKeyAux]);

  const auto arrows = keys_for({SDL_SCANCODE_UP, SDL_SCANCODE_DOWN, SDL_SCANCODE_LEFT,
                                SDL_SCANCODE_RIGHT, SDL_SCANCODE_SPACE},
                               SDL_NUM_SCANCODES);
  EXPECT_TRUE(arrows[kKeyUp]);
  EXPECT_TRUE(arrows[kKeyDown]);
  EXPECT_TRUE(arrows[kKeyLeft]);
  EXPECT_TRUE(arrows[kKeyRight]);
  EXPECT_TRUE(arrows[kKeySelect]);

  // Keys that are not the game's do nothing; 2 is no alias.
  const auto others =
      keys_for({SDL_SCANCODE_2, SDL_SCANCODE_A, SDL_SCANCODE_KP_2}, SDL_NUM_SCANCODES);
  for (bool k : others) EXPECT_FALSE(k);
}

// The keys the game has always read, keypad first, then the aliases: the
// default bindings are exactly these and no others.
TEST(GameKeys, DefaultBindingsAreTheKeypadAndItsAliasesExactly) {
  const std::pair<SDL_Scancode, Key> table[] = {
      {SDL_SCANCODE_KP_8, kKeyUp},      {SDL_SCANCODE_KP_5, kKeyDown},
      {SDL_SCANCODE_KP_4, kKeyLeft},    {SDL_SCANCODE_KP_6, kKeyRight},
      {SDL_SCANCODE_KP_7, kKeyMark},    {SDL_SCANCODE_KP_9, kKeyAux},
      {SDL_SCANCODE_SPACE, kKeySelect}, {SDL_SCANCODE_KP_0, kKeyInfo},
      {SDL_SCANCODE_KP_1, kKeyZoomIn},  {SDL_SCANCODE_KP_3, kKeyZoomOut},
      {SDL_SCANCODE_TAB, kKeyFast},     {SDL_SCANCODE_8, kKeyUp},
      {SDL_SCANCODE_5, kKeyDown},       {SDL_SCANCODE_4, kKeyLeft},
      {SDL_SCANCODE_6, kKeyRight},      {SDL_SCANCODE_7, kKeyMark},
      {SDL_SCANCODE_9, kKeyAux},        {SDL_SCANCODE_0, kKeyInfo},
      {SDL_SCANCODE_1, kKeyZoomIn},     {SDL_SCANCODE_3, kKeyZoomOut},
      {SDL_SCANCODE_UP, kKeyUp},        {SDL_SCANCODE_DOWN, kKeyDown},
      {SDL_SCANCODE_LEFT, kKeyLeft},    {SDL_SCANCODE_RIGHT, kKeyRight},
  };
  for (int s = 0; s < SDL_NUM_SCANCODES; ++s) {
    std::array<bool, kKeyCount> expected{};
    for (const auto& [scancode, key] : table) {
      if (scancode == s) expected[key] = true;
    }
    EXPECT_EQ(keys_for({SDL_Scancode(s)}, SDL_NUM_SCANCODES), expected)
        << SDL_GetScancodeName(SDL_Scancode(s));
  }
  const Bindings& b = default_bindings();
  for (int k = 0; k < kKeyCount; ++k) {
    for (int i = 0; i < b.keys[k].count; ++i) EXPECT_EQ(b.keys[k].keys[i].mods, 0);
  }
}

TEST(GameKeys, AShortKeyboardStateIsNotReadPastItsEnd) {
  const auto down = keys_for({SDL_SCANCODE_KP_8, SDL_SCANCODE_SPACE}, SDL_SCANCODE_SPACE);
  EXPECT_FALSE(down[kKeySelect]);
  EXPECT_FALSE(down[kKeyUp]);
}

TEST(Screenshot, FileNameCarriesTheLocalDateAndTime) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(screenshot_file_name(1796630400), "quarvex-20261207-080000.png");
}

TEST(DisplayCheck, NoDisplayAndNoDriverIsReported) {
  const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"};
  std::vector<std::string> saved;
  for (const char* n : names) {
    saved.push_back(std::getenv(n) ? std::getenv(n) : "");
    unsetenv(n);
  }
  std::string reason;
  EXPECT_FALSE(display_available(reason));
  EXPECT_NE(reason.find("DISPLAY"), std::string::npos);
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  EXPECT_TRUE(display_available(reason));
  for (size_t i = 0; i < saved.size(); ++i) {
    if (saved[i].empty()) {
      unsetenv(names[i]);
    } else {
      setenv(names[i], saved[i].c_str(), 1);
    }
  }
}

}  // namespace
}  // namespace quarvex
