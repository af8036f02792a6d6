#include "shell/lobby_page.h"

#include "lang/texts.h"

namespace quarvex {

bool lobby_can_start(const LobbyView& view) {
  bool someone_plays = false;
  for (int side = 0; side < kLobbySides; ++side) {
    const LobbySeatView& seat = view.seats[static_cast<size_t>(side)];
    if (seat.seat != LobbySeat::kPlayer) continue;
    someone_plays = true;
    // The host's Start counts as its ready mark.
    if (side != view.host_side && !seat.ready) return false;
  }
  return someone_plays;
}

void LobbyPage::open(const LobbyView& view) {
  view_ = view;
  problem_ = nullptr;
  refusal_.clear();
  if (view_.host) {
    row_ = kLobbyStage;
  } else if (view_.own_side < 0) {
    row_ = kLobbyFirstSide;
  } else {
    row_ = kLobbyReady;
  }
}

void LobbyPage::update(const LobbyView& view) {
  view_ = view;
}

LobbyOutcome LobbyPage::deny(const char* problem) {
  problem_ = problem;
  return {LobbyOutcome::kDenied, {}};
}

// The setup as it stands, for the host to change one thing of: a player's
// side is asked for as open, which the server reads as "leave it be".
LobbyAction LobbyPage::setup() const {
  LobbyAction action;
  action.kind = LobbyAction::kSetup;
  action.stage = view_.stage;
  for (int side = 0; side < kLobbySides; ++side) {
    const LobbySeat seat = view_.seats[static_cast<size_t>(side)].seat;
    action.seats[static_cast<size_t>(side)] = seat == LobbySeat::kPlayer ? LobbySeat::kOpen : seat;
  }
  return action;
}

LobbyOutcome LobbyPage::key(MenuKey key) {
  refusal_.clear();
  switch (key) {
    case MenuKey::kUp:
    case MenuKey::kDown:
      row_ = (row_ + (key == MenuKey::kUp ? kLobbyRows - 1 : 1)) % kLobbyRows;
      problem_ = nullptr;
      return {LobbyOutcome::kMoved, {}};
    case MenuKey::kLeft:
      return sideways(-1);
    case MenuKey::kRight:
      return sideways(1);
    case MenuKey::kChoose:
      return choose();
    case MenuKey::kBack:
      return {LobbyOutcome::kAsked, {LobbyAction::kLeave}};
    case MenuKey::kNone:
      break;
  }
  return {};
}

// Left and right: the host's choice of stage, and of what a side is.
LobbyOutcome LobbyPage::sideways(int step) {
  if (row_ == kLobbyStage) {
    if (!view_.host) return deny(N_("The host chooses the stage."));
    LobbyAction action = setup();
    const int stages = kLastNetworkStage - kFirstNetworkStage + 1;
    action.stage = kFirstNetworkStage + (view_.stage - kFirstNetworkStage + step + stages) % stages;
    problem_ = nullptr;
    return {LobbyOutcome::kAsked, action};
  }
  if (row_ < kLobbyFirstSide || row_ >= kLobbyFirstSide + kLobbySides) return {};
  if (!view_.host) return deny(N_("The host decides what each side is."));
  const auto side = static_cast<size_t>(row_ - kLobbyFirstSide);
  if (view_.seats[side].seat == LobbySeat::kPlayer) return deny(N_("A player holds that side."));
  // Open, the computer's, closed, round and round.
  constexpr LobbySeat kCycle[] = {LobbySeat::kOpen, LobbySeat::kComputer, LobbySeat::kClosed};
  int at = 0;
  while (at < 3 && kCycle[at] != view_.seats[side].seat) ++at;
  LobbyAction action = setup();
  action.seats[side] = kCycle[(at + step + 3) % 3];
  problem_ = nullptr;
  return {LobbyOutcome::kAsked, action};
}

LobbyOutcome LobbyPage::choose() {
  problem_ = nullptr;
  if (row_ == kLobbyLeave) return {LobbyOutcome::kAsked, {LobbyAction::kLeave}};
  if (row_ == kLobbyStage) return sideways(1);
  if (row_ == kLobbyReady) {
    if (view_.host) {
      if (!lobby_can_start(view_)) return deny(N_("Every player must be ready first."));
      return {LobbyOutcome::kAsked, {LobbyAction::kStart}};
    }
    if (view_.own_side < 0 || view_.own_side >= kLobbySides) {
      return deny(N_("Take an open side to play."));
    }
    LobbyAction action;
    action.kind = LobbyAction::kReady;
    action.ready = !view_.seats[static_cast<size_t>(view_.own_side)].ready;
    return {LobbyOutcome::kAsked, action};
  }
  const int side = row_ - kLobbyFirstSide;
  if (side == view_.own_side) return {};
  if (view_.seats[static_cast<size_t>(side)].seat != LobbySeat::kOpen) {
    return deny(N_("That side is not open."));
  }
  LobbyAction action;
  action.kind = LobbyAction::kTakeSide;
  action.side = side;
  return {LobbyOutcome::kAsked, action};
}

}  // namespace quarvex
