#include "app/network_play.h"

#include <algorithm>
#include <vector>

#include "app/game_lines.h"
#include "render/network_play_drawing.h"

namespace quarvex {

namespace {

// A chat line stays this long on the screen.
constexpr int64_t kChatShownMs = 10000;

KeyChord named_key(const char* name) {
  KeyChord chord;
  parse_key_chord(name, chord);
  return chord;
}

bool is(const InputEvent& e, const KeyChord& key) {
  return e.key.scancode == key.scancode;
}

}  // namespace

NetworkPlay::NetworkPlay(Shell& shell, bool play_again_offered)
    : shell_(shell),
      enter_(named_key("Return")),
      keypad_enter_(named_key("Keypad Enter")),
      escape_(named_key("Escape")),
      backspace_(named_key("Backspace")),
      left_(named_key("Left")),
      right_(named_key("Right")),
      play_again_offered_(play_again_offered),
      end_focus_(play_again_offered ? 0 : 1) {
  for (int s = 0; s < kSides; ++s)
    digits_[static_cast<size_t>(s)] = named_key(std::to_string(s + 1).c_str());
}

bool NetworkPlay::take(const InputEvent& e, net::LockstepClient& client, net::ClientLink& link) {
  if (ended_) return take_end(e);
  if (chat_.is_open()) return take_typing(e, client, link);
  const bool key = e.kind == InputKind::kKeyDown && !e.repeat;
  const bool pad = e.kind == InputKind::kPadDown && !e.repeat;
  if (!key && !pad) return false;
  const int action =
      key ? action_of_key(shell_.bindings(), e.key) : action_of_pad(shell_.bindings(), e.pad_input);
  // The pause is everyone's: the server pauses the game, or lets it go on
  // when its player asks (the server refuses anyone else, and a fourth pause).
  if (action == kActionPause && shell_.game_runs()) {
    const net::Paused& pause = client.pause();
    client.ask_pause(!(pause.paused && pause.resume_in_ms == 0), link);
    return true;
  }
  if (!key) return false;
  if ((is(e, enter_) || is(e, keypad_enter_)) && shell_.game_runs()) {
    chat_.open();
    return true;
  }
  if (client.welcome().role == net::Role::kSpectator) {
    for (int s = 0; s < kSides; ++s) {
      if (is(e, digits_[static_cast<size_t>(s)])) {
        chosen_side_ = s;
        return true;
      }
    }
  }
  return false;
}

bool NetworkPlay::take_typing(const InputEvent& e, net::LockstepClient& client,
                              net::ClientLink& link) {
  if (e.kind == InputKind::kText) {
    chat_.type(e.text);
    return true;
  }
  if (e.kind != InputKind::kKeyDown) return e.kind == InputKind::kKeyUp;
  // The screenshot and full screen keys keep their meaning while typing.
  const int action = action_of_key(shell_.bindings(), e.key);
  if (action == kActionScreenshot || action == kActionFullscreen) return false;
  ChatEntry::Outcome outcome = ChatEntry::Outcome::kNone;
  if (is(e, backspace_)) {
    outcome = chat_.edit(EditKey::kBackspace);
  } else if (e.repeat) {
    return true;
  } else if (is(e, enter_) || is(e, keypad_enter_)) {
    outcome = chat_.edit(EditKey::kEnter);
  } else if (is(e, escape_)) {
    outcome = chat_.edit(EditKey::kEscape);
  }
  if (outcome == ChatEntry::Outcome::kSend) client.say(chat_.take_line(), link);
  return true;
}

bool NetworkPlay::take_end(const InputEvent& e) {
  const bool key = e.kind == InputKind::kKeyDown && !e.repeat;
  const bool pad = e.kind == InputKind::kPadDown && !e.repeat;
  if (!key && !pad) return e.kind == InputKind::kKeyUp || e.kind == InputKind::kText;
  const int action =
      key ? action_of_key(shell_.bindings(), e.key) : action_of_pad(shell_.bindings(), e.pad_input);
  if (action == kActionScreenshot || action == kActionFullscreen) return false;
  if (action == kActionMenu || (key && is(e, escape_))) {
    choice_ = Choice::kLeave;
  } else if (action == kKeySelect || (key && (is(e, enter_) || is(e, keypad_enter_)))) {
    choice_ = end_focus_ == 0 ? Choice::kPlayAgain : Choice::kLeave;
  } else if (play_again_offered_ && (action == kKeyLeft || action == kKeyRight ||
                                     (key && (is(e, left_) || is(e, right_))))) {
    end_focus_ = 1 - end_focus_;
  }
  return true;
}

void NetworkPlay::frame_done(const World& w, uint32_t frame) {
  fates_.frame_done(w, frame);
  if (w.game_phase == 2) ended_ = true;
}

void NetworkPlay::draw(Device& d, const Texts& texts, const World& view,
                       const net::LockstepClient& client, int own_side, int64_t now_ms,
                       int top) const {
  const net::Roster& roster = client.roster();
  std::vector<RosterRow> rows(kSides);
  for (int s = 0; s < kSides; ++s) {
    const net::SeatState seat = roster.seats[static_cast<size_t>(s)].state;
    RosterRow& row = rows[static_cast<size_t>(s)];
    row.playing = seat == net::SeatState::kPlayer || seat == net::SeatState::kAway;
    row.away = seat == net::SeatState::kAway;
    if (row.playing) row.name = side_player_name(roster, s);
  }
  const bool spectator = own_side < 0;
  draw_roster_strip(d, texts, view, rows, spectator);
  if (view.player_side >= 0 && view.player_side < kSides) {
    draw_own_name(d, view, rows[static_cast<size_t>(view.player_side)].name);
  }

  GameLineState state;
  state.roster = &roster;
  state.lag = client.lag();
  state.pause = client.pause();
  state.pause_age_ms = now_ms - client.pause_heard_ms();
  state.refusal = client.refusal();
  state.refusal_age_ms = now_ms - client.refusal_ms();
  state.own_side = own_side;
  draw_game_lines(d, texts, game_lines(state),
                  std::max(top, spectator ? kBelowSpectatorStrip : kBelowStrip));

  std::vector<std::string> chat;
  for (const auto& heard : client.chat()) {
    if (now_ms - heard.at_ms >= kChatShownMs) continue;
    std::string line = heard.line.name;
    line += ": ";
    line += heard.line.text;
    chat.push_back(std::move(line));
  }
  draw_chat(d, texts, chat, chat_.is_open() ? &chat_.entry() : nullptr);

  if (!ended_) return;
  const GameEnd end = game_end(view, roster, fates_);
  EndScreen screen;
  screen.headline = end.headline;
  for (const EndRow& row : end.rows) screen.rows.push_back({row.side, row.name, row.fate});
  screen.play_again = play_again_offered_;
  screen.focus = end_focus_;
  draw_end_screen(d, texts, screen);
}

}  // namespace quarvex
