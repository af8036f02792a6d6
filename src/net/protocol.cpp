#include "net/protocol.h"

namespace quarvex::net {

const char* reason_text(Reason reason) {
  switch (reason) {
    case Reason::kMalformed:
      return "sent a malformed message";
    case Reason::kTooLarge:
      return "sent a message that is too large";
    case Reason::kTooFrequent:
      return "sent messages too often";
    case Reason::kWrongCode:
      return "no game has this code";
    case Reason::kTooManyWrongCodes:
      return "too many wrong codes from this address; wait a minute";
    case Reason::kSideTaken:
      return "another player has this side";
    case Reason::kSideNotOpen:
      return "this side is not open to players";
    case Reason::kFull:
      return "the server is full";
    case Reason::kVersionMismatch:
      return "the game was made by another version of quarvex";
    case Reason::kSilent:
      return "nothing heard for 15 seconds";
    case Reason::kBehind:
      return "fell 10 seconds behind the game";
    case Reason::kGameOver:
      return "the game is over";
    case Reason::kServerStopping:
      return "the server is stopping";
    case Reason::kTooSlow:
      return "did not take the game's messages fast enough";
    case Reason::kOutOfTurn:
      return "sent a message out of turn";
    case Reason::kUnknownToken:
      return "this side's player has another token";
    case Reason::kCannotRejoin:
      return "this server keeps no World to rejoin";
    case Reason::kLeft:
      return "left the game";
    case Reason::kHostLeft:
      return "the host left";
  }
  return "was disconnected";
}

std::string version_mismatch_text(const std::string& host_name, const std::string& game_version,
                                  const std::string& your_version) {
  std::string text = host_name.empty() ? std::string("the game runs") : host_name + " plays";
  text += " quarvex ";
  text += game_version;
  text += "; you have ";
  text += your_version;
  return text;
}

}  // namespace quarvex::net
