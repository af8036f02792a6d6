#include "app/network_lines.h"

namespace quarvex {

Message wait_line(NetworkWait wait, const std::string& code, const std::string& address) {
  switch (wait) {
    case NetworkWait::kConnecting:
      return {N_("Connecting to {address}... (Esc leaves)"), {{"address", address}}};
    case NetworkWait::kCreating:
      return {N_("Creating the game... (Esc leaves)"), {}};
    case NetworkWait::kJoining:
      return {N_("Joining the game {code}... (Esc leaves)"), {{"code", code}}};
    case NetworkWait::kSnapshot:
      return {N_("Receiving the game under way... (Esc leaves)"), {}};
    case NetworkWait::kPlayers:
      return {N_("Waiting for the other players (Esc leaves).\nThe game's code is {code}"),
              {{"code", code}}};
    case NetworkWait::kServer:
      return {N_("waiting for the server"), {}};
    case NetworkWait::kOver:
      return {N_("The game is over. Esc leaves."), {}};
    case NetworkWait::kNone:
      break;
  }
  return {};
}

Message failure_line(std::optional<net::Reason> reason, const std::string& why, bool opened,
                     const std::string& code, const std::string& address) {
  if (!reason) {
    if (!opened)
      return {N_("Cannot reach {address}:\n{why}"), {{"address", address}, {"why", why}}};
    return {N_("The connection to the server ended:\n{why}"), {{"why", why}}};
  }
  using net::Reason;
  switch (*reason) {
    case Reason::kWrongCode:
      return {N_("No game has the code {code}."), {{"code", code}}};
    case Reason::kTooManyWrongCodes:
      return {N_("Too many wrong codes: wait a minute before trying again."), {}};
    case Reason::kFull:
      return {N_("The game is full:\n{why}"), {{"why", why}}};
    case Reason::kVersionMismatch:
      return {N_("Another version of quarvex:\n{why}"), {{"why", why}}};
    case Reason::kSideTaken:
      return {N_("Another player has this side."), {}};
    case Reason::kSideNotOpen:
      return {N_("This side is the computer's."), {}};
    case Reason::kGameOver:
      return {N_("The game is over."), {}};
    case Reason::kServerStopping:
      return {N_("The server is stopping."), {}};
    default:
      break;
  }
  return {N_("The server ended the connection:\n{why}"), {{"why", why}}};
}

}  // namespace quarvex
