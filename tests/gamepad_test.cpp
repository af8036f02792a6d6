// A gamepad drives a real stage: SDL's virtual game controller, plugged in
// and out while playing, through the default bindings to the same World as
// the same keys on the keyboard.

#include <SDL.h>
#include <gtest/gtest.h>

#include "app/game.h"
#include "app/world_output.h"
#include "shell/shell.h"
#include "test_host.h"

namespace quarvex {
namespace {

// The windowed game's step with the real input layer and a test clock.
struct PadGame : testing::TestHost {
  PadGame() : shell(settings, languages) {
    Options o;
    o.data_dir = QUARVEX_DATA_DIR;
    o.seed = 3;
    std::string error;
    EXPECT_TRUE(game.begin(o, error)) << error;
    input.set_dead_zone(settings.settings.dead_zone);
  }
  void sample_keys(std::array<bool, kKeyCount>& down) override {
    ++frame;
    live_game_keys(input, shell, down);
  }
  void step() {
    InputEvent events[16];
    for (int n = input.poll(events, 16); n > 0; n = input.poll(events, 16)) {
      for (int i = 0; i < n; ++i) {
        ShellRequests r;
        shell.handle(events[i], game.world(), r);
      }
    }
    if (shell.game_runs()) game.run_frame(*this);
  }

  SettingsFile settings;
  LanguageSet languages;
  Shell shell;
  Input input;
  Game game;
};

class VirtualPad : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(SDL_Init(SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError(); }
  void TearDown() override { SDL_Quit(); }

  void plug_in() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.name = "test pad";
    index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    joystick = SDL_JoystickOpen(index);
    ASSERT_NE(joystick, nullptr) << SDL_GetError();
  }
  void pull_out() {
    SDL_JoystickClose(joystick);
    SDL_JoystickDetachVirtual(index);
    joystick = nullptr;
  }
  void button(SDL_GameControllerButton b, bool down) {
    SDL_JoystickSetVirtualButton(joystick, b, down ? 1 : 0);
  }
  void axis(SDL_GameControllerAxis a, int16_t value) {
    SDL_JoystickSetVirtualAxis(joystick, a, value);
  }

  int index = -1;
  SDL_Joystick* joystick = nullptr;
};

TEST_F(VirtualPad, ButtonsAndTheStickPlayAStageAsTheKeysDo) {
  PadGame pad_game;
  plug_in();
  InputEvent plugged[16];
  pad_game.input.poll(plugged, 16);
  ASSERT_EQ(pad_game.input.pads_open(), 1);

  // The same play on the keyboard: start the stage, move the cursor up,
  // then right with the stick; a push inside the dead zone does nothing.
  testing::TestHost keys;
  Game keyboard_game;
  Options o;
  o.data_dir = QUARVEX_DATA_DIR;
  o.seed = 3;
  std::string error;
  ASSERT_TRUE(keyboard_game.begin(o, error)) << error;
  keys.hold(kKeySelect, 1, 1);
  keys.hold(kKeyUp, 3, 12);
  keys.hold(kKeyRight, 13, 20);
  keys.hold(kKeyZoomIn, 15, 16);

  for (int f = 1; f <= 26; ++f) {
    button(SDL_CONTROLLER_BUTTON_A, f == 1);
    button(SDL_CONTROLLER_BUTTON_DPAD_UP, f >= 3 && f <= 12);
    button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, f == 15 || f == 16);
    int16_t x = 0;
    if (f >= 13 && f <= 20) x = 20000;
    if (f >= 21) x = 5000;  // inside the dead zone
    axis(SDL_CONTROLLER_AXIS_LEFTX, x);
    pad_game.step();
    keyboard_game.run_frame(keys);
  }
  EXPECT_EQ(pad_game.game.world().game_phase, 1);
  EXPECT_GT(player_state(pad_game.game.world()).cursor_y, 10.0f);
  EXPECT_GT(player_state(pad_game.game.world()).cursor_x, 10.0f);
  EXPECT_EQ(world_hash(pad_game.game.world()), world_hash(keyboard_game.world()));

  // Start pauses and resumes.
  button(SDL_CONTROLLER_BUTTON_START, true);
  pad_game.step();
  EXPECT_TRUE(pad_game.shell.paused());
  button(SDL_CONTROLLER_BUTTON_START, false);
  pad_game.step();
  button(SDL_CONTROLLER_BUTTON_START, true);
  pad_game.step();
  EXPECT_FALSE(pad_game.shell.paused());

  // Pulled out while held: the pad is closed and its keys are up.
  button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
  pad_game.step();
  pull_out();
  pad_game.step();
  EXPECT_EQ(pad_game.input.pads_open(), 0);
  std::array<bool, kPadInputs> state{};
  state.fill(true);
  pad_game.input.pad_state(state);
  for (bool b : state) EXPECT_FALSE(b);
}

}  // namespace
}  // namespace quarvex
