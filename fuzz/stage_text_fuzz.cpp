// Stage sources are written by hand and so untrusted: any text must parse
// without a read outside the text, and whatever parses cleanly must compile
// to a stage file that reads back to the same placements.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "stage_text.h"

namespace {

bool same_records(const quarvex::StageSource& a, const quarvex::StageSource& b) {
  if (a.records.size() != b.records.size() || a.trailing != b.trailing) return false;
  for (size_t i = 0; i < a.records.size(); ++i) {
    const quarvex::StageRecord& p = a.records[i];
    const quarvex::StageRecord& q = b.records[i];
    if (p.x != q.x || p.y != q.y || p.heading_steps != q.heading_steps || p.kind != q.kind ||
        p.side != q.side || p.mode != q.mode || p.reserved != q.reserved || p.goal_x != q.goal_x ||
        p.goal_y != q.goal_y)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quarvex::StageSource parsed;
  std::vector<std::string> errors;
  quarvex::parse_stage_text(text, "fuzz.txt", parsed, errors);
  if (!errors.empty() || parsed.records.size() > 65535) return 0;

  const std::vector<uint8_t> bytes = quarvex::encode_stage(parsed);
  quarvex::StageSource decoded;
  std::string error;
  if (!quarvex::decode_stage(bytes, "fuzz.aod", decoded, error)) std::abort();
  if (!same_records(parsed, decoded)) std::abort();

  // The decompiled text compiles back to the same bytes.
  quarvex::StageSource again;
  quarvex::parse_stage_text(quarvex::format_stage_text(decoded), "again.txt", again, errors);
  if (!errors.empty() || quarvex::encode_stage(again) != bytes) std::abort();
  return 0;
}
