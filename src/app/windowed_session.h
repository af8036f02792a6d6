#pragma once
// A windowed game with everything it holds while it runs: the settings, the
// languages, the window and its device with the game's pictures and fonts,
// the input and the shell. The desktop's loop and the browser page's driver open it the same
// way; they differ only in how they call WindowedHost::step.

#include <memory>
#include <string>

#include "app/game.h"
#include "app/options.h"
#include "audio/game_audio.h"
#include "lang/languages.h"
#include "platform/gl_device.h"
#include "platform/input.h"
#include "platform/window.h"
#include "shell/settings.h"
#include "shell/shell.h"

namespace quarvex {

struct WindowedSession {
  Game game;
  SettingsFile settings;
  LanguageSet languages;
  std::unique_ptr<Window> window;
  std::unique_ptr<GlDevice> device;
  Input input;
  std::unique_ptr<Shell> shell;
  std::unique_ptr<GameAudio> audio;  // null without a sound card: the game is silent
  std::string replay_folder;         // where replays are kept; empty: none
};

// Begins the game of `options` in a window (SDL's video already started):
// reads the settings and the languages' catalogues, opens the window and
// its device, loads the pictures and the fonts, starts the sound and the
// gamepads. Returns 0, or the exit status after
// saying why (on standard error, and in a system box when the device
// failed).
int open_windowed(const Options& options, WindowedSession& session);

// The sound first, then the device objects (atlases, ground, then the
// device's own, the font last), then the window and its context.
void close_windowed(WindowedSession& session);

}  // namespace quarvex
