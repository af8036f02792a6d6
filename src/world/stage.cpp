#include "world/stage.h"

#include <cstdio>

#include "world/geometry.h"
#include "world/humans.h"
#include "world/tables.h"

namespace quarvex {

namespace {

// pi written as 3.141592, over 180: the factor the stage file's headings use.
constexpr double kStageDegree = 0.01745328888888889;
constexpr double kHeadingStepDegrees = 22.5;

void tell_open_failed(Services& services) {
  services.show_message("The stage file could not be opened.", {});
}

int16_t read_i16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

void write_i16(uint8_t* p, int16_t v) {
  const auto u = static_cast<uint16_t>(v);
  p[0] = static_cast<uint8_t>(u & 0xFF);
  p[1] = static_cast<uint8_t>(u >> 8);
}

// Joins the data folder and a stage-numbered file name into a fixed buffer;
// false when the result does not fit.
bool stage_path(char* out, size_t out_size, const char* dir, const char* pattern, int stage) {
  char name[32];
  std::snprintf(name, sizeof name, pattern, stage);
  int written = 0;
  if (dir == nullptr || dir[0] == '\0') {
    written = std::snprintf(out, out_size, "%s", name);
  } else {
    size_t len = 0;
    while (dir[len] != '\0') ++len;
    const char* sep = dir[len - 1] == '/' ? "" : "/";
    written = std::snprintf(out, out_size, "%s%s%s", dir, sep, name);
  }
  return written >= 0 && static_cast<size_t>(written) < out_size;
}

void reset_world_for_stage(World& w) {
  reset_sentinel(w);
  for (int i = 1; i <= kMaxUnit; ++i) w.units[i].type = -1;
  for (Projectile& p : w.projectiles) p.kind = -1;
  for (Particle& p : w.particles) p.life = 0;
  // Every human begins the stage alike; the key latches carry over.
  for_each_human(w, [](int, CommandState& c) {
    c.camera_x = 0;
    c.camera_y = 0;
    c.camera_distance = 20.0f;
    c.camera_yaw = 0;
    c.camera_zoom = 0;
    c.command_mode = 0;
    c.selected_unit = 1;
    c.cursor_x = 0;
    c.cursor_y = 0;
    c.mark_y = 0;
    c.mark_x = 0;
    c.target_unit = 0;
    c.order_item = 0;
    c.build_item = 0;
  });
  w.lost_sides = 0;
  w.game_phase = 1;
  for (int s = 0; s < kSides; ++s) {
    w.funds[s] = 200;
    w.side_order[s] = 0;
    w.side_present[s] = 1;
  }
  w.side_build_list = {2, 3, 0, 1};
}

}  // namespace

StageRecord decode_stage_record(const uint8_t* bytes) {
  StageRecord r;
  r.x = read_i16(bytes);
  r.y = read_i16(bytes + 2);
  r.heading_steps = read_i16(bytes + 4);
  r.kind = static_cast<int8_t>(bytes[6]);
  r.side = static_cast<int8_t>(bytes[7]);
  r.mode = bytes[8];
  r.reserved = bytes[9];
  r.goal_x = read_i16(bytes + 10);
  r.goal_y = read_i16(bytes + 12);
  return r;
}

void encode_stage_record(const StageRecord& r, uint8_t* bytes) {
  write_i16(bytes, r.x);
  write_i16(bytes + 2, r.y);
  write_i16(bytes + 4, r.heading_steps);
  bytes[6] = static_cast<uint8_t>(r.kind);
  bytes[7] = static_cast<uint8_t>(r.side);
  bytes[8] = r.mode;
  bytes[9] = r.reserved;
  write_i16(bytes + 10, r.goal_x);
  write_i16(bytes + 12, r.goal_y);
}

void load_stage(World& w, Services& services) {
  seed_random(w, services.stage_seed());
  reset_world_for_stage(w);

  const StageFiles files = services.stage_files(w.stage_number);
  if (files.stage_bytes != nullptr) {
    read_stage_bytes(w, files.stage_bytes, files.stage_size, services.closed_sides());
  } else if (files.stage_path != nullptr) {
    read_stage_file(w, services, files.stage_path, services.closed_sides());
  } else {
    tell_open_failed(services);
  }
  if (files.ground_path != nullptr) services.load_ground_image(files.ground_path);

  w.frame_counter = 0;
  w.reload_requested = 0;
  setup_side_groups(w);
}

StageFiles stage_files_in_folder(const char* folder, int stage_number, StagePaths& paths) {
  StageFiles files;
  if (stage_path(paths.stage, sizeof paths.stage, folder, "map%d.aod", stage_number)) {
    files.stage_path = paths.stage;
  }
  if (stage_path(paths.ground, sizeof paths.ground, folder, "map%d.bmp", stage_number)) {
    files.ground_path = paths.ground;
  }
  return files;
}

namespace {

// A closed side's record places nothing (sides 1..4 are bits 0..3).
void place_open_side_record(World& w, const StageRecord& record, uint8_t closed) {
  if (record.side >= 1 && record.side <= kSides && ((closed >> (record.side - 1)) & 1u) != 0)
    return;
  place_stage_record(w, record);
}

}  // namespace

void read_stage_file(World& w, Services& services, const char* path, uint8_t closed) {
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    tell_open_failed(services);
    return;
  }
  // Read record by record: the data never needs a buffer larger than one
  // record, and reading stops at the end of the file whatever the count says.
  uint8_t count_bytes[2];
  const size_t got = std::fread(count_bytes, 1, sizeof count_bytes, file);
  if (got < sizeof count_bytes && std::ferror(file)) {
    // Opened but unreadable (a folder, a device error): the same failure as a missing file.
    std::fclose(file);
    tell_open_failed(services);
    return;
  }
  const unsigned count = got == sizeof count_bytes ? count_bytes[0] | (count_bytes[1] << 8) : 0;
  uint8_t record[kStageRecordSize];
  for (unsigned i = 0; i < count; ++i) {
    if (std::fread(record, 1, sizeof record, file) != sizeof record) break;
    place_open_side_record(w, decode_stage_record(record), closed);
  }
  std::fclose(file);
}

void read_stage_bytes(World& w, const uint8_t* data, size_t size, uint8_t closed) {
  if (data == nullptr || size < 2) return;
  if (size > kMaxStageFileSize) size = kMaxStageFileSize;
  const unsigned count = data[0] | (data[1] << 8);
  size_t offset = 2;
  for (unsigned i = 0; i < count && size - offset >= kStageRecordSize; ++i) {
    place_open_side_record(w, decode_stage_record(data + offset), closed);
    offset += kStageRecordSize;
  }
}

void place_stage_record(World& w, const StageRecord& r) {
  const UnitKind* kind = unit_kind(r.kind);
  // Every per-side table holds four sides; a record for any other side has no place.
  if (kind == nullptr || r.side < 1 || r.side > kSides) return;
  const float z = kind->air != 0 ? kAirZ : kGroundZ;
  const auto heading = static_cast<float>(r.heading_steps * kHeadingStepDegrees * kStageDegree);
  const int16_t main = spawn_unit(w, static_cast<float>(r.x), static_cast<float>(r.y), z, heading,
                                  0, static_cast<int8_t>(kind->main_type & 0xFF), r.side);
  // A full table: the record is skipped whole, so no child and no order land anywhere.
  if (main == 0) return;
  if (kind->child_type != -1) {
    spawn_unit(w, 0, 0, kChildZ, 0, main, static_cast<int8_t>(kind->child_type & 0xFF), r.side);
  }
  Unit& m = w.units[main];
  m.mode = r.mode;
  m.goal_x = r.goal_x;
  m.goal_y = r.goal_y;
}

void setup_side_groups(World& w) {
  for (int s = 0; s < kSides; ++s) {
    w.factories[s].fill(0);
    int found = 0;
    for (int i = 1; i <= kMaxUnit && found < kFactoriesPerSide; ++i) {
      const Unit& u = w.units[i];
      if (u.type == kTypeFactory && u.parent == 0 && u.side == s + 1) {
        w.factories[s][found++] = static_cast<int16_t>(i);
      }
    }
  }
  for (int s = 0; s < kSides; ++s) {
    w.ai_goal_x[s].fill(0);
    w.ai_goal_y[s].fill(0);
    w.ai_build_choice[s] = 0;
  }
}

}  // namespace quarvex
