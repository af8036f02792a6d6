#include "stage_text.h"

#include <algorithm>
#include <cstdio>

#include "world/shown_text.h"
#include "world/tables.h"
#include "world/text_lines.h"
#include "world/whole_number.h"

namespace quarvex {

namespace {

constexpr int kKindColumnWidth = 20;

std::string range_text(int64_t lowest, int64_t highest) {
  return std::to_string(lowest) + ".." + std::to_string(highest);
}

// Reads one numeric field; on failure returns false with what is wrong.
bool field(std::string_view text, const char* name, int64_t lowest, int64_t highest, int64_t& out,
           std::string& what) {
  switch (parse_whole_number(text, lowest, highest, out)) {
    case NumberCheck::kOk:
      return true;
    case NumberCheck::kNotANumber:
      what = std::string(name) + " " + quoted_text(text) + " is not a whole number";
      return false;
    case NumberCheck::kOutOfRange:
      break;
  }
  what = std::string(name) + " " + shown_text(text) + " is outside " + range_text(lowest, highest);
  return false;
}

bool kind_field(std::string_view text, int64_t& kind, std::string& what) {
  // A kind is given by number or by its name; names never start like a number.
  if (text[0] == '-' || (text[0] >= '0' && text[0] <= '9')) {
    return field(text, "kind", 0, kUnitKindCount - 1, kind, what);
  }
  for (int k = 0; k < kUnitKindCount; ++k) {
    if (text == kind_names[k]) {
      kind = k;
      return true;
    }
  }
  what = "unknown kind " + quoted_text(text);
  return false;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool trailing_line(const std::vector<std::string_view>& words, StageSource& out, bool& seen,
                   std::string& what) {
  if (seen) {
    what = "'trailing' is given twice";
    return false;
  }
  if (words.size() != 2) {
    what = "'trailing' needs one run of hex digits";
    return false;
  }
  const std::string_view hex = words[1];
  if (hex.size() % 2 != 0) {
    what = "trailing: odd number of hex digits";
    return false;
  }
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int hi = hex_digit(hex[i]);
    const int lo = hex_digit(hex[i + 1]);
    if (hi < 0 || lo < 0) {
      what = "trailing: " + quoted_text(hex.substr(i, 2)) + " is not hex";
      return false;
    }
    bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
  }
  out.trailing = std::move(bytes);
  seen = true;
  return true;
}

bool placement_line(const std::vector<std::string_view>& words, StageSource& out,
                    std::string& what) {
  if (words.size() != 8 && words.size() != 9) {
    what =
        "expected 8 fields (kind side x y heading mode goal_x goal_y) and an optional "
        "reserved=N, found " +
        std::to_string(words.size());
    return false;
  }
  int64_t kind = 0, side = 0, x = 0, y = 0, heading = 0, mode = 0, goal_x = 0, goal_y = 0;
  int64_t reserved = 0;
  if (!kind_field(words[0], kind, what) || !field(words[1], "side", 1, 4, side, what) ||
      !field(words[2], "x", INT16_MIN, INT16_MAX, x, what) ||
      !field(words[3], "y", INT16_MIN, INT16_MAX, y, what) ||
      !field(words[4], "heading", INT16_MIN, INT16_MAX, heading, what) ||
      !field(words[5], "mode", 0, 255, mode, what) ||
      !field(words[6], "goal_x", INT16_MIN, INT16_MAX, goal_x, what) ||
      !field(words[7], "goal_y", INT16_MIN, INT16_MAX, goal_y, what)) {
    return false;
  }
  if (words.size() == 9) {
    constexpr std::string_view kReserved = "reserved=";
    if (words[8].substr(0, kReserved.size()) != kReserved) {
      what = "unknown field " + quoted_text(words[8]) + " (only reserved=N may follow goal_y)";
      return false;
    }
    if (!field(words[8].substr(kReserved.size()), "reserved", 0, 255, reserved, what)) {
      return false;
    }
  }
  if (out.records.size() >= kMaxStageRecords) {
    what = "more than " + std::to_string(kMaxStageRecords) + " placements";
    return false;
  }
  out.records.push_back(StageRecord{
      static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(heading),
      static_cast<int8_t>(kind), static_cast<int8_t>(side), static_cast<uint8_t>(mode),
      static_cast<uint8_t>(reserved), static_cast<int16_t>(goal_x), static_cast<int16_t>(goal_y)});
  return true;
}

// Columns on a terminal: the kind names are full-width (two columns each).
int display_width(std::string_view s) {
  int width = 0;
  for (const char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x80) {
      width += 1;
    } else if ((b & 0xC0) != 0x80) {
      width += 2;
    }
  }
  return width;
}

}  // namespace

void parse_stage_text(std::string_view text, std::string_view name, StageSource& out,
                      std::vector<std::string>& errors) {
  out = StageSource{};
  constexpr std::string_view kBom = "\xEF\xBB\xBF";
  if (text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  bool trailing_seen = false;
  for_each_text_line(text, [&](int line_number, std::string_view line) {
    const std::vector<std::string_view> words = split_words(line);
    if (words.empty()) return true;
    std::string what;
    const bool ok = words[0] == "trailing" ? trailing_line(words, out, trailing_seen, what)
                                           : placement_line(words, out, what);
    if (!ok) errors.push_back(std::string(name) + ":" + std::to_string(line_number) + ": " + what);
    return true;
  });
}

std::string format_stage_text(const StageSource& stage) {
  std::string text = "# quarvex stage: " + std::to_string(stage.records.size()) +
                     " placements\n"
                     "# heading in steps of 22.5 degrees (4 = 90 degrees to the left)\n";
  std::string header = "# kind";
  header.append(static_cast<size_t>(kKindColumnWidth - display_width(header)), ' ');
  text += header + "side      x      y heading mode goal_x goal_y\n";
  char numbers[96];
  for (const StageRecord& r : stage.records) {
    const std::string_view kind = kind_names[static_cast<size_t>(r.kind)];
    text += kind;
    text.append(static_cast<size_t>(std::max(1, kKindColumnWidth - display_width(kind))), ' ');
    std::snprintf(numbers, sizeof numbers, "%4d %6d %6d %7d %4d %6d %6d", r.side, r.x, r.y,
                  r.heading_steps, r.mode, r.goal_x, r.goal_y);
    text += numbers;
    if (r.reserved != 0) text += "  reserved=" + std::to_string(r.reserved);
    text += '\n';
  }
  if (!stage.trailing.empty()) {
    text += "trailing ";
    for (const uint8_t b : stage.trailing) {
      std::snprintf(numbers, sizeof numbers, "%02x", b);
      text += numbers;
    }
    text += '\n';
  }
  return text;
}

}  // namespace quarvex
