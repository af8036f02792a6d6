#include "server/server_host.h"

#include "app/lockstep_game.h"
#include "server/game_replays.h"

namespace quarvex {

namespace {

std::unique_ptr<net::SimulationFactory> make_worlds(const std::string& data_dir,
                                                    const std::string& replays_dir, bool simulate) {
  if (!replays_dir.empty()) return std::make_unique<GameReplays>(data_dir, replays_dir);
  if (simulate) return std::make_unique<LockstepGames>(data_dir);
  return nullptr;
}

}  // namespace

ServerHost::ServerHost(const net::ServerSettings& settings, const std::string& data_dir,
                       const std::string& replays_dir, bool simulate)
    : worlds_(make_worlds(data_dir, replays_dir, simulate)),
      core_(settings, worlds_.get(), random_),
      server_(core_) {}

}  // namespace quarvex
