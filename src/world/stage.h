#pragma once
// Stage files (map<N>.aod) and the stage setup.

#include <cstddef>
#include <cstdint>

#include "world/services.h"
#include "world/world.h"

namespace quarvex {

constexpr size_t kStageRecordSize = 14;
// A count of 65535 records is the most a stage file can describe.
constexpr size_t kMaxStageFileSize = 2 + 65535 * kStageRecordSize;

// One placement of a stage file, as stored (little-endian, 14 bytes).
struct StageRecord {
  int16_t x;
  int16_t y;
  int16_t heading_steps;  // 22.5 degrees each, positive turns left
  int8_t kind;
  int8_t side;
  uint8_t mode;
  uint8_t reserved;  // byte 9, never read by the game
  int16_t goal_x;
  int16_t goal_y;
  bool operator==(const StageRecord&) const = default;
};

StageRecord decode_stage_record(const uint8_t* bytes);
void encode_stage_record(const StageRecord& record, uint8_t* bytes);

// The whole stage setup for w.stage_number: reset, placements, ground, factory table.
void load_stage(World& w, Services& services);

// The paths of stage N's files in one folder (map<N>.aod, map<N>.bmp), for
// hosts that keep a stage in a single folder; written into `paths`.
struct StagePaths {
  char stage[4096];
  char ground[4096];
};
StageFiles stage_files_in_folder(const char* folder, int stage_number, StagePaths& paths);
// Opens and places one stage file; a file that cannot be opened shows the
// open-failure message and places nothing.
// Records of the `closed` sides (bit s: side s) are skipped, in both readers.
void read_stage_file(World& w, Services& services, const char* path, uint8_t closed = 0);
// Places the records of a stage file held in memory. Stops at the end of the
// data; skips records with a kind outside 0..39, a side outside 1..4, or a
// main unit that finds no free slot.
void read_stage_bytes(World& w, const uint8_t* data, size_t size, uint8_t closed = 0);
// Places one record (skipping it as read_stage_bytes says).
void place_stage_record(World& w, const StageRecord& record);
// Fills the factory table and clears the computer sides' plans.
void setup_side_groups(World& w);

}  // namespace quarvex
