#pragma once
// The replays the server keeps (--replays DIR): every game it runs, in the
// game's own replay format, written as the game goes (a crash loses about a
// second), ended with its final hash when the game ends or the server
// stops. Each is named by the time the game was created and its code, so a
// folder lists in the order games were played.

#include <ctime>
#include <memory>
#include <string>

#include "net/simulation.h"

namespace quarvex {

// YYYYMMDD-HHMMSS-CODE.qvr in UTC (a server's log speaks UTC); a `copy`
// above 1 (a code used again within the same second) adds "_<copy>".
std::string game_replay_name(std::time_t created, const net::JoinCode& code, int copy = 1);

// Creates the folder when missing and proves a file can be written in it;
// false with a message when not.
bool check_replay_folder(const std::string& folder, std::string& error);

// Makes each game's World, as LockstepGames does, with its replay kept in
// `folder`. A replay that cannot be created or written costs one line on
// standard error; the game goes on without it.
class GameReplays : public net::SimulationFactory {
 public:
  GameReplays(std::string data_dir, std::string folder)
      : data_dir_(std::move(data_dir)), folder_(std::move(folder)) {}
  std::unique_ptr<net::Simulation> start(const net::GameSetup& setup,
                                         const net::JoinCode& code) override;

 private:
  std::string data_dir_;
  std::string folder_;
};

}  // namespace quarvex
