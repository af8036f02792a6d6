#pragma once
// What the lockstep logic asks of the game it keeps in step: run a frame
// from its input, hash the World, save it as a snapshot and load one. The
// logic itself knows nothing of the World; the server and the clients each
// plug the game in through this (app/lockstep_game.h: both run the Game's
// own frame).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "net/protocol.h"

namespace quarvex::net {

// What every machine needs to build the same World at frame 0.
struct GameSetup {
  uint8_t stage = 1;
  uint32_t seed = 0;
  uint8_t human_sides = 0;  // bit s: side s is played by a person; never 0
};

class Simulation {
 public:
  virtual ~Simulation() = default;
  // Runs the frame after the last one with this input.
  virtual void run_frame(const FrameInput& input) = 0;
  // The hash clients and the server compare: the World without what the
  // wall clock writes.
  virtual uint64_t hash() const = 0;
  // Replaces `out` with the World after the last frame, field by field.
  virtual void save(std::vector<uint8_t>& out) const = 0;
  // Replaces the World with a saved one of the World after `frame`; false
  // with one line saying why, the World unchanged, when the bytes do not
  // hold up or are of another frame.
  virtual bool load(std::span<const uint8_t> bytes, uint32_t frame, std::string& error) = 0;
  // Who is in the game changed (the recordings name the players).
  virtual void roster_changed(const Roster& roster) { (void)roster; }
};

// Makes the World of a new game; the server keeps one per game.
class SimulationFactory {
 public:
  virtual ~SimulationFactory() = default;
  // nullptr when the game cannot be set up (a stage that cannot be read
  // still gives a World: an empty stage, as in a single-player game). The
  // code names the game in what the server keeps of it (its replay).
  virtual std::unique_ptr<Simulation> start(const GameSetup& setup, const JoinCode& code) = 0;
};

}  // namespace quarvex::net
