#pragma once
// What the window adds to a networked game while its stage is on the
// screen: the pause key, the chat line, a spectator's choice of view, the
// players' names and the lines at the top, and the end of the game with
// its choice to play again or leave. NetworkWindow hands it the events and
// the picture; the rest of the window knows nothing of it.

#include <cstdint>
#include <string>

#include "app/chat_entry.h"
#include "app/game_end.h"
#include "net/lockstep_client.h"
#include "platform/device.h"
#include "platform/input.h"
#include "shell/shell.h"
#include "world/world.h"

namespace quarvex {

class NetworkPlay {
 public:
  enum class Choice : uint8_t { kNone, kPlayAgain, kLeave };

  NetworkPlay(Shell& shell, bool play_again_offered);

  // True while the chat line is open: the keys type, and none reaches the side.
  bool typing() const { return chat_.is_open(); }
  // True once the game is decided: the end screen takes every key.
  bool ended() const { return ended_; }
  // An event while the stage is on the screen: true when it was taken here.
  bool take(const InputEvent& e, net::LockstepClient& client, net::ClientLink& link);
  // What the player chose on the end screen.
  Choice choice() const { return choice_; }

  // After every frame run: keeps when each side lost, and sees the end.
  void frame_done(const World& w, uint32_t frame);
  // The end came from the server (the game's last frame), decided or not.
  void server_ended() { ended_ = true; }
  // The side whose view is drawn: the player's, or the one a spectator (or
  // a replay's viewer) chose with the number keys; -1 the first human's.
  int view_side(int own_side) const { return own_side >= 0 ? own_side : chosen_side_; }
  // Draws the names, the lines, the chat and the end over the play overlay;
  // `view` is the World as drawn. The lines start below the strip of names,
  // and at `top` at the earliest.
  void draw(Device& d, const Texts& texts, const World& view, const net::LockstepClient& client,
            int own_side, int64_t now_ms, int top) const;

 private:
  bool take_typing(const InputEvent& e, net::LockstepClient& client, net::ClientLink& link);
  bool take_end(const InputEvent& e);

  Shell& shell_;
  ChatEntry chat_;
  SideFates fates_;
  KeyChord enter_;
  KeyChord keypad_enter_;
  KeyChord escape_;
  KeyChord backspace_;
  KeyChord left_;
  KeyChord right_;
  std::array<KeyChord, kSides> digits_{};
  bool play_again_offered_ = false;
  bool ended_ = false;
  int end_focus_ = 0;  // 0 play again, 1 leave
  int chosen_side_ = -1;
  Choice choice_ = Choice::kNone;
};

}  // namespace quarvex
