#pragma once
// A networked game's World as the lockstep logic sees it
// (net/simulation.h): the Game, set up from the game's stage, seed and
// human sides, running every frame through Game::run_frame with the
// network's input. The server keeps one per game and every client one of
// its own, so both run the same code; a client's also keeps what its
// command line asks for (--record, --dump, --flip-bit).
//
// A client's recording holds the server's inputs of every frame, also of
// frames a snapshot leapt over, and only checks the server agreed with, so
// it replays the game as the server played it.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/frame.h"
#include "app/game.h"
#include "app/options.h"
#include "net/lockstep_client.h"
#include "net/simulation.h"

namespace quarvex {

class LockstepGame : public net::ClientGame, private FrameHost {
 public:
  // Of `outputs`, the data folder, --record, --dump and --flip-bit count;
  // the server gives only the data folder.
  explicit LockstepGame(const Options& outputs);
  // Keeps the game's replay in `folder`, as the window keeps a stage's
  // (before begin; replay/replay_folder.h).
  void keep_replays_in(std::string folder) { game_.keep_replays_in(std::move(folder)); }

  bool begin(const net::GameSetup& setup, int side, std::string& error) override;
  void run_frame(const FrameInput& input) override;
  void pass_frame(const FrameInput& input) override;
  uint64_t hash() const override;
  void save(std::vector<uint8_t>& out) const override;
  bool load(std::span<const uint8_t> bytes, uint32_t frame, std::string& error) override;
  void hashes_agreed(uint32_t frame) override { game_.agree_checks(frame); }
  // The recordings name every side's player.
  void roster_changed(const net::Roster& roster) override;
  // Writes the desync report (app/desync_report.h) and forgets the
  // recordings' checks from the frame on.
  void report_desync(const net::Desync& desync, uint32_t last_frame,
                     std::span<const FrameInput> recent) override;

  // After the game: ends the recordings (the checks still waiting are
  // written when `agreed`: the server's last hash is this World's) and
  // writes the dump. The exit status of Game::finish.
  int finish(bool agreed);

  const Game& game() const { return game_; }
  std::string take_record_error() { return game_.take_record_error(); }
  // The side played; -1 when watching.
  int side() const { return side_; }

 protected:
  // A message box of the game: for the player of `side`, or for everyone
  // (-1). The server shows none.
  virtual void message(int side, const char* text) {
    (void)side;
    (void)text;
  }
  // The input of the frame just run or passed.
  const FrameInput& last_input() const { return last_input_; }
  // The game's message boxes, by side; said in English through message()
  // unless a window shows them.
  void show_side_message(int side, const char* text, std::span<const MessageArg> args) override;
  // Without a window there is no ground to draw.
  void load_ground_image(const char*) override {}

 private:
  // FrameHost: a frame without a window, its time counted in frames (the
  // wall clock's fields stay out of the hash machines compare).
  void show_message(const char* text, std::span<const MessageArg> args) override {
    show_side_message(-1, text, args);
  }
  uint32_t stage_seed() override { return seed_; }
  StageFiles stage_files(int) override { return {}; }  // the Game finds them
  void sample_keys(std::array<bool, kKeyCount>& down) override { down.fill(false); }
  void render(const World&) override {}
  int32_t clock_ms() override { return static_cast<int32_t>(elapsed_ms()); }
  int64_t calendar_seconds() override { return 1 + elapsed_ms() / 1000; }
  void sleep_ms(int32_t) override {}
  bool paced() override { return false; }
  int64_t elapsed_ms() const { return (game_.current_frame() - 1) * 30; }

  Options outputs_;
  Game game_;
  uint32_t seed_ = 0;
  int side_ = -1;
  FrameInput last_input_;
};

// Makes the World of each game the server hosts.
class LockstepGames : public net::SimulationFactory {
 public:
  explicit LockstepGames(std::string data_dir) : data_dir_(std::move(data_dir)) {}
  std::unique_ptr<net::Simulation> start(const net::GameSetup& setup,
                                         const net::JoinCode& code) override;

 private:
  std::string data_dir_;
};

}  // namespace quarvex
