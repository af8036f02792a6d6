#include "world/stage_file.h"

#include <algorithm>

#include "world/tables.h"

namespace quarvex {

std::vector<uint8_t> encode_stage(const StageSource& stage) {
  const size_t count = std::min(stage.records.size(), kMaxStageRecords);
  std::vector<uint8_t> bytes(2 + count * kStageRecordSize);
  bytes[0] = static_cast<uint8_t>(count & 0xFF);
  bytes[1] = static_cast<uint8_t>(count >> 8);
  for (size_t i = 0; i < count; ++i) {
    encode_stage_record(stage.records[i], bytes.data() + 2 + i * kStageRecordSize);
  }
  bytes.insert(bytes.end(), stage.trailing.begin(), stage.trailing.end());
  return bytes;
}

bool decode_stage(const std::vector<uint8_t>& bytes, std::string_view name, StageSource& out,
                  std::string& error) {
  out = StageSource{};
  const std::string prefix = std::string(name) + ": ";
  if (bytes.size() < 2) {
    error = prefix + "too short for the record count (" + std::to_string(bytes.size()) + " bytes)";
    return false;
  }
  const size_t count = bytes[0] | (bytes[1] << 8);
  const size_t held = (bytes.size() - 2) / kStageRecordSize;
  if (held < count) {
    error = prefix + "the count says " + std::to_string(count) + " records but the file holds " +
            std::to_string(held);
    return false;
  }
  out.records.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const StageRecord r = decode_stage_record(bytes.data() + 2 + i * kStageRecordSize);
    if (r.kind < 0 || r.kind >= kUnitKindCount) {
      error = prefix + "record " + std::to_string(i + 1) + ": kind " + std::to_string(r.kind) +
              " is outside 0.." + std::to_string(kUnitKindCount - 1);
      return false;
    }
    if (r.side < 1 || r.side > kSides) {
      error = prefix + "record " + std::to_string(i + 1) + ": side " + std::to_string(r.side) +
              " is outside 1..4";
      return false;
    }
    out.records.push_back(r);
  }
  out.trailing.assign(bytes.begin() + static_cast<std::ptrdiff_t>(2 + count * kStageRecordSize),
                      bytes.end());
  return true;
}

uint64_t stage_content_hash(const uint8_t* bytes, size_t size) {
  constexpr uint64_t kOffsetBasis = 14695981039346656037ull;
  constexpr uint64_t kPrime = 1099511628211ull;
  uint64_t hash = kOffsetBasis;
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= kPrime;
  }
  return hash;
}

}  // namespace quarvex
