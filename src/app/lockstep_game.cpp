#include "app/lockstep_game.h"

#include <climits>

#include "app/message_line.h"
#include "lang/message.h"
#include "world/snapshot.h"
#include "world/world_hash.h"

namespace quarvex {

LockstepGame::LockstepGame(const Options& outputs) : outputs_(outputs) {}

// Programs without a window say their messages in English.
void LockstepGame::show_side_message(int side, const char* text, std::span<const MessageArg> args) {
  message(side, in_english(message_of(text, args)).c_str());
}

bool LockstepGame::begin(const net::GameSetup& setup, int side, std::string& error) {
  side_ = side;
  seed_ = setup.seed;
  // Every machine of the game starts the same game of several humans at
  // the stage; only what it keeps of it differs.
  Options options;
  options.data_dir = outputs_.data_dir;
  options.record_file = outputs_.record_file;
  options.dump_file = outputs_.dump_file;
  options.flip_bit = outputs_.flip_bit;
  options.headless = true;
  options.stage = setup.stage;
  options.seed = setup.seed;
  options.humans = setup.human_sides;
  options.start = true;
  // The network says when the game ends.
  options.frames = kMaxFrameNumber;
  if (!game_.begin(options, error)) return false;
  game_.hold_checks();
  return true;
}

void LockstepGame::roster_changed(const net::Roster& roster) {
  for (int s = 0; s < kSides; ++s) {
    const net::Roster::Seat& seat = roster.seats[static_cast<size_t>(s)];
    if (!seat.name.empty()) game_.name_player(s, seat.name);
  }
}

void LockstepGame::run_frame(const FrameInput& input) {
  last_input_ = input;
  game_.run_frame(*this, input);
}

void LockstepGame::pass_frame(const FrameInput& input) {
  last_input_ = input;
  game_.pass_frame(input);
}

uint64_t LockstepGame::hash() const {
  return replay_hash(game_.world());
}

void LockstepGame::save(std::vector<uint8_t>& out) const {
  game_.snapshot(out);
}

bool LockstepGame::load(std::span<const uint8_t> bytes, uint32_t frame, std::string& error) {
  uint32_t taken_after = 0;
  if (!snapshot_frame(bytes.data(), bytes.size(), taken_after)) {
    error = "not a snapshot of a World";
    return false;
  }
  if (taken_after != frame) {
    error = "the snapshot of frame " + std::to_string(frame) + " holds the World after frame " +
            std::to_string(taken_after);
    return false;
  }
  return game_.load_snapshot(bytes.data(), bytes.size(), error);
}

void LockstepGame::report_desync(const net::Desync& desync, uint32_t, std::span<const FrameInput>) {
  game_.drop_checks(desync.frame);
}

int LockstepGame::finish(bool agreed) {
  if (agreed) game_.agree_checks(INT64_MAX);
  return game_.finish();
}

std::unique_ptr<net::Simulation> LockstepGames::start(const net::GameSetup& setup,
                                                      const net::JoinCode&) {
  Options outputs;
  outputs.data_dir = data_dir_;
  auto game = std::make_unique<LockstepGame>(outputs);
  std::string unused;
  // Without outputs nothing can fail.
  if (!game->begin(setup, -1, unused)) return nullptr;
  return game;
}

}  // namespace quarvex
