// Snapshots: a World read back from its snapshot is the same World, bit for
// bit, whatever it was doing; a damaged or hostile snapshot is refused with
// the value at fault and changes nothing. And the test-only bit flip.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

#include "app/frame.h"
#include "app/world_output.h"
#include "test_files.h"
#include "test_host.h"
#include "world/bit_flip.h"
#include "world/float_bits.h"
#include "world/humans.h"
#include "world/snapshot.h"
#include "world/stage.h"

namespace quarvex {
namespace {

std::string dump_of(const World& w) {
  std::FILE* file = std::tmpfile();
  write_world_json(file, w, 7);
  std::string text(static_cast<size_t>(std::ftell(file)), '\0');
  std::rewind(file);
  const size_t got = std::fread(text.data(), 1, text.size(), file);
  std::fclose(file);
  text.resize(got);
  return text;
}

// Two camps fighting it out for a few hundred frames of random keys, played
// by one player or by the humans of `humans` (one of them handed over).
std::unique_ptr<World> battle(uint8_t humans) {
  auto w = std::make_unique<World>();
  init_world(*w);
  set_human_sides(*w, humans);
  testing::TestHost host;
  host.data_directory = "/nonexistent";
  load_stage(*w, host);
  std::vector<StageRecord> records;
  for (const int side : {1, 2, 3, 4}) {
    const int at = side % 2 == 0 ? 40 : -40;
    records.push_back(testing::record(32, side, at, side * 20 - 50, 0, 0));  // headquarters
    for (int i = 0; i < 8; ++i) records.push_back(testing::record(22, side, at + 5 * i, 0));
  }
  const std::vector<uint8_t> bytes = testing::stage_bytes(records);
  read_stage_bytes(*w, bytes.data(), bytes.size());
  setup_side_groups(*w);
  std::mt19937 random(5);
  for (int f = 1; f <= 300; ++f) {
    FrameInput& input = host.inputs_by_frame[f];
    for (KeyMask& keys : input.keys) keys = static_cast<KeyMask>(random() & kAllKeys);
    if (f == 200 && humans != 0) input.to_computer = side_bit(std::countr_zero(humans));
  }
  for (int f = 1; f <= 300; ++f) frame_tick(*w, host);
  return w;
}

TEST(Snapshot, ReadBackIsTheSameWorldBitForBit) {
  for (const uint8_t humans : {uint8_t{0}, uint8_t{0b1010}}) {
    const std::unique_ptr<World> w = battle(humans);
    std::vector<uint8_t> bytes;
    encode_snapshot(*w, 300, bytes);
    EXPECT_EQ(bytes.size(), snapshot_size());
    auto back = std::make_unique<World>();
    init_world(*back);
    uint32_t frame = 0;
    std::string error;
    ASSERT_TRUE(decode_snapshot(bytes.data(), bytes.size(), *back, frame, error)) << error;
    EXPECT_EQ(frame, 300u);
    EXPECT_EQ(world_hash(*back), world_hash(*w));
    EXPECT_EQ(dump_of(*back), dump_of(*w));
    std::vector<uint8_t> again;
    encode_snapshot(*back, 300, again);
    EXPECT_EQ(again, bytes);
    if (humans != 0) {
      EXPECT_EQ(back->computer_sides, 0b0010);
      EXPECT_NE(dump_of(*w).find("\"humans\": ["), std::string::npos);
    }
  }
}

TEST(Snapshot, RefusedSnapshotsSayWhyAndChangeNothing) {
  const std::unique_ptr<World> w = battle(0b0101);
  std::vector<uint8_t> good;
  encode_snapshot(*w, 300, good);
  // A changed value, found where the encoding differs: no layout assumed.
  const auto with = [&](auto change) {
    auto changed = std::make_unique<World>(*w);
    change(*changed);
    std::vector<uint8_t> bytes;
    encode_snapshot(*changed, 300, bytes);
    return bytes;
  };
  std::vector<uint8_t> short_one(good.begin(), good.end() - 1);
  std::vector<uint8_t> long_one = good;
  long_one.push_back(0);
  std::vector<uint8_t> other_version = good;
  other_version[4] = 2;
  std::vector<uint8_t> late = good;
  late[9] = 0x80;
  const std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
      {{}, "not a snapshot of a World"},
      {{'Q', 'V', 'X', 'T', 1, 0, 0, 0, 0, 0}, "not a snapshot of a World"},
      {other_version, "snapshot format 2; this game reads format 1"},
      {short_one, "a snapshot has " + std::to_string(snapshot_size()) + " bytes; this one has " +
                      std::to_string(snapshot_size() - 1)},
      {long_one, "a snapshot has " + std::to_string(snapshot_size()) + " bytes; this one has " +
                     std::to_string(snapshot_size() + 1)},
      {late, "snapshot frame 2147483948 is outside 0..2147483647"},
      {with([](World& v) { v.units[3].type = 97; }),
       "snapshot refused: units[3].type is 97, outside -1..54"},
      {with([](World& v) { v.units[0].x = 1; }),
       "snapshot refused: units[0], the empty slot that stands for no unit, holds a unit"},
      {with([](World& v) { v.projectiles[9].kind = 5, v.projectiles[9].aux = 900; }),
       "snapshot refused: projectiles[9].aux is 900, outside 0..500"},
      {with([](World& v) { v.particles[4].texture = 9; }),
       "snapshot refused: particles[4].texture is 9, outside 0..8"},
      {with([](World& v) { v.humans[1].cursor_x = std::nanf(""); }),
       "snapshot refused: humans[1].cursor_x is not a finite number"},
      {with([](World& v) { v.humans[0].key_latches[3] = 4; }),
       "snapshot refused: humans[0].key_latches[3] is 4, outside 0..3"},
      {with([](World& v) { v.computer_sides = 0b0010; }),
       "snapshot refused: computer_sides names a side no human plays"},
      {with([](World& v) { v.player_side = 2; }),
       "snapshot refused: player_side is not the lowest of the human sides"},
      {with([](World& v) { v.factories[1][2] = -1; }),
       "snapshot refused: factories[1][2] is -1, outside 0..500"},
  };
  const uint64_t before = world_hash(*w);
  for (const auto& [bytes, message] : cases) {
    uint32_t frame = 11;
    std::string error;
    EXPECT_FALSE(decode_snapshot(bytes.data(), bytes.size(), *w, frame, error)) << message;
    EXPECT_EQ(error, message);
    EXPECT_EQ(frame, 11u);
    EXPECT_EQ(world_hash(*w), before);
  }
}

TEST(BitFlip, FlipsOneBitOfTheNamedFieldOnly) {
  const std::unique_ptr<World> w = battle(0b0011);
  const World before = *w;
  std::string error;
  ASSERT_TRUE(flip_world_bit(*w, "rand_state", 3, error)) << error;
  EXPECT_EQ(w->rand_state, before.rand_state ^ 8u);
  ASSERT_TRUE(flip_world_bit(*w, "funds[2]", 31, error)) << error;
  EXPECT_EQ(w->funds[2], static_cast<int32_t>(static_cast<uint32_t>(before.funds[2]) ^ 1u << 31));
  ASSERT_TRUE(flip_world_bit(*w, "units[12].x", 0, error)) << error;
  EXPECT_EQ(bits_of(w->units[12].x), bits_of(before.units[12].x) ^ 1u);
  ASSERT_TRUE(flip_world_bit(*w, "humans[1].key_latches[10]", 1, error)) << error;
  EXPECT_EQ(w->humans[1].key_latches[10], before.humans[1].key_latches[10] ^ 2);
  EXPECT_NE(world_hash(*w), world_hash(before));
  // Flipped again, every bit is back.
  const std::pair<const char*, int> flipped[] = {
      {"rand_state", 3}, {"funds[2]", 31}, {"units[12].x", 0}, {"humans[1].key_latches[10]", 1}};
  for (const auto& [field, bit] : flipped) ASSERT_TRUE(flip_world_bit(*w, field, bit, error));
  EXPECT_EQ(world_hash(*w), world_hash(before));

  EXPECT_FALSE(flip_world_bit(*w, "units[501].x", 0, error));
  EXPECT_EQ(error, "the World has no field 'units[501].x'");
  EXPECT_FALSE(flip_world_bit(*w, "funds", 0, error));
  EXPECT_EQ(error, "the World has no field 'funds'");
  EXPECT_FALSE(flip_world_bit(*w, "stage_number", 8, error));
  EXPECT_EQ(error, "bit 8 lies beyond the width of 'stage_number'");
  EXPECT_EQ(world_hash(*w), world_hash(before));
}

}  // namespace
}  // namespace quarvex
