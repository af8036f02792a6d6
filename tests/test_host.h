#pragma once
// A FrameHost for tests: keys come from a table per frame, message boxes are
// recorded, the stage seed is fixed, nothing is drawn or waited for.

#include <array>
#include <map>
#include <string>
#include <vector>

#include "app/frame.h"
#include "lang/placeholders.h"
#include "world/latch.h"
#include "world/stage.h"

namespace quarvex::testing {

struct TestHost : FrameHost {
  uint32_t seed = 1;
  std::string data_directory = ".";
  int64_t frame = 0;  // frames run so far; frame numbers count from 1
  std::map<int64_t, std::vector<Key>> keys_by_frame;
  // Frames whose whole input is given (a game of several humans); the others
  // take the player's keys from keys_by_frame.
  std::map<int64_t, FrameInput> inputs_by_frame;
  std::vector<int> message_sides;  // -1 for a message to every player
  std::vector<std::string> messages;
  std::vector<int64_t> message_frames;
  std::vector<std::string> ground_images;
  int32_t clock = 100000;
  int64_t seconds = 1000;

  void hold(Key k, int64_t first, int64_t last) {
    for (int64_t f = first; f <= last; ++f) keys_by_frame[f].push_back(k);
  }

  // Kept in English, with the placeholders filled in.
  void show_message(const char* text, std::span<const MessageArg> args) override {
    show_side_message(-1, text, args);
  }
  void show_side_message(int side, const char* text, std::span<const MessageArg> args) override {
    std::vector<TextArg> filled_in;
    for (const MessageArg& arg : args) filled_in.push_back(TextArg{arg.name, arg.value});
    messages.push_back(filled(text, filled_in));
    message_frames.push_back(frame);
    message_sides.push_back(side);
  }
  uint32_t stage_seed() override { return seed; }
  void load_ground_image(const char* path) override { ground_images.emplace_back(path); }
  StagePaths paths;
  StageFiles stage_files(int stage) override {
    return stage_files_in_folder(data_directory.c_str(), stage, paths);
  }
  void sample_keys(std::array<bool, kKeyCount>& down) override {
    ++frame;
    down.fill(false);
    auto it = keys_by_frame.find(frame);
    if (it == keys_by_frame.end()) return;
    for (Key k : it->second) down[k] = true;
  }
  void sample_input(const World& w, FrameInput& input) override {
    const auto it = inputs_by_frame.find(frame + 1);
    if (it == inputs_by_frame.end()) return FrameHost::sample_input(w, input);
    ++frame;
    input = it->second;
  }
  void render(const World&) override {}
  int32_t clock_ms() override { return clock; }
  int64_t calendar_seconds() override { return seconds; }
  void sleep_ms(int32_t ms) override { clock += ms; }
  bool paced() override { return false; }
};

}  // namespace quarvex::testing
