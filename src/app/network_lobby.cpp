#include "app/network_lobby.h"

#include <algorithm>

#include "render/lobby_drawing.h"

namespace quarvex {

namespace {

LobbySeat seat_of(net::SeatState state) {
  switch (state) {
    case net::SeatState::kOpen:
      return LobbySeat::kOpen;
    case net::SeatState::kComputer:
      return LobbySeat::kComputer;
    case net::SeatState::kClosed:
      return LobbySeat::kClosed;
    case net::SeatState::kPlayer:
    case net::SeatState::kAway:
      break;
  }
  return LobbySeat::kPlayer;
}

net::SeatChoice choice_of(LobbySeat seat) {
  switch (seat) {
    case LobbySeat::kComputer:
      return net::SeatChoice::kComputer;
    case LobbySeat::kClosed:
      return net::SeatChoice::kClosed;
    case LobbySeat::kOpen:
    case LobbySeat::kPlayer:
      break;
  }
  return net::SeatChoice::kOpen;
}

void ask_server(const LobbyAction& action, net::LockstepClient& client, net::ClientLink& link) {
  switch (action.kind) {
    case LobbyAction::kSetup: {
      net::LobbySetup setup;
      setup.stage = static_cast<uint8_t>(action.stage);
      for (size_t side = 0; side < setup.seats.size(); ++side) {
        setup.seats[side] = choice_of(action.seats[side]);
      }
      client.setup_lobby(setup, link);
      return;
    }
    case LobbyAction::kTakeSide:
      client.take_side(static_cast<uint8_t>(action.side), link);
      return;
    case LobbyAction::kReady:
      client.set_ready(action.ready, link);
      return;
    case LobbyAction::kStart:
      client.start_game(link);
      return;
    case LobbyAction::kNone:
    case LobbyAction::kLeave:
      return;
  }
}

}  // namespace

LobbyView lobby_view(const net::LockstepClient& client) {
  const net::Lobby& lobby = client.lobby();
  LobbyView view;
  view.stage = std::clamp<int>(lobby.stage, kFirstNetworkStage, kLastNetworkStage);
  for (size_t side = 0; side < view.seats.size() && side < lobby.seats.size(); ++side) {
    const auto& seat = lobby.seats[side];
    view.seats[side] = {seat_of(seat.state), seat.name, seat.ready, seat.rtt_ms};
  }
  view.host_side = lobby.host_side < kLobbySides ? lobby.host_side : -1;
  view.host = client.is_host();
  // In the lobby the latest welcome names the side we hold now.
  const net::Welcome& welcome = client.welcome();
  view.own_side =
      welcome.role == net::Role::kSpectator || welcome.side >= kLobbySides ? -1 : welcome.side;
  view.spectators = lobby.spectators;
  return view;
}

bool NetworkLobby::shown(const net::LockstepClient* client) {
  return client != nullptr && client->state() == net::LockstepClient::State::kLobby;
}

void NetworkLobby::watch(const net::LockstepClient& client, const std::string& code) {
  LobbyView view = lobby_view(client);
  view.address = invite_;
  view.code = code;
  // Each lobby, the first and the one after each game, opens afresh.
  if (!open_ || client.games_begun() != games_seen_) {
    page_.open(view);
    open_ = true;
    games_seen_ = client.games_begun();
  } else {
    page_.update(view);
  }
  if (client.refusal_ms() != refusal_seen_ms_) {
    refusal_seen_ms_ = client.refusal_ms();
    page_.refused(client.refusal());
  }
}

bool NetworkLobby::take(const InputEvent& e, const Shell& shell, net::LockstepClient& client,
                        net::ClientLink& link) {
  const LobbyOutcome outcome = page_.key(shell.menu_key_of(e));
  if (outcome.kind != LobbyOutcome::kAsked) return false;
  if (outcome.action.kind == LobbyAction::kLeave) return true;
  ask_server(outcome.action, client, link);
  return false;
}

void NetworkLobby::draw(Device& d, const Texts& texts) const {
  if (open_) draw_lobby_page(d, texts, page_);
}

}  // namespace quarvex
