#include "replay/key_script.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include "net/player_text.h"
#include "replay/side_lines.h"
#include "world/shown_text.h"
#include "world/text_lines.h"
#include "world/whole_number.h"

namespace quarvex {

const std::array<KeyName, kKeyCount> kKeyNames = {{
    {"kp0", kKeyInfo},
    {"kp1", kKeyZoomIn},
    {"kp3", kKeyZoomOut},
    {"kp4", kKeyLeft},
    {"kp5", kKeyDown},
    {"kp6", kKeyRight},
    {"kp7", kKeyMark},
    {"kp8", kKeyUp},
    {"kp9", kKeyAux},
    {"space", kKeySelect},
    {"tab", kKeyFast},
}};

namespace {

// Scripts are hand-written or recorded; anything larger is not a key script.
constexpr std::streamoff kMaxScriptBytes = 64 << 20;

struct Range {
  int64_t first;
  int64_t last;
  KeyMask keys;
};

bool parse_frame(std::string_view text, int64_t& frame, std::string& what) {
  switch (parse_whole_number(text, 0, kMaxFrameNumber, frame)) {
    case NumberCheck::kOk:
      if (frame == 0) {
        what = "frame 0: frames count from 1";
        return false;
      }
      return true;
    case NumberCheck::kNotANumber:
      what = quoted_text(text) + " is not a frame number or 'seed'";
      return false;
    case NumberCheck::kOutOfRange:
      break;
  }
  what = "frame " + shown_text(text) + " is outside 1.." + std::to_string(kMaxFrameNumber);
  return false;
}

bool parse_hash(std::string_view text, uint64_t& hash) {
  if (text.size() != 16) return false;
  hash = 0;
  for (const char c : text) {
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    hash = (hash << 4) | static_cast<uint64_t>(digit);
  }
  return true;
}

// The version names a program in messages, so it is one short printable word.
bool is_version_word(std::string_view word) {
  constexpr size_t kMaxVersionLength = 64;
  if (word.size() > kMaxVersionLength) return false;
  return std::all_of(word.begin(), word.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

class Parser {
 public:
  explicit Parser(KeyScript& out) : out_(out) {}

  bool line(int line_number, std::string_view line, std::string& what) {
    line_number_ = line_number;
    const std::vector<std::string_view> words = split_words(line);
    if (words.empty()) return true;
    const std::string_view word = words[0];
    if (word == "seed") return seed_line(words, what);
    if (word == "version") return version_line(words, what);
    if (word == "stage") return preset_line(words, 1, 3, out_.stage, seen_stage_, what);
    if ((word == "side" || word == "watch") && out_.humans != 0) {
      what = std::string(1, '\'').append(word).append("' does not go with 'humans'");
      return false;
    }
    if (word == "side") return preset_line(words, 0, 3, out_.side, seen_side_, what);
    if (word == "start") return flag_line(words, out_.start, what);
    if (word == "watch") return flag_line(words, out_.watch, what);
    if (word == "stage-hash") return stage_hash_line(words, what);
    if (word == "random-stage") return random_stage_line(words, what);
    if (word == "check") return check_line(words, what);
    if (word == "end") return end_line(words, what);
    if (word == "humans") return side_lines.humans_line(words, seen_side_, out_, what);
    if (word == "closed") return closed_line(words, what);
    if (word == "player") return player_line(line, words, what);
    if (is_event_word(word)) {
      int64_t frame = 0;
      if (!side_lines.event_line(words, out_, frame, what) || !before_end(frame, what))
        return false;
      out_.last_named_frame = std::max(out_.last_named_frame, frame);
      return true;
    }
    const int side = side_tag(word);
    return side_lines.key_line(side, out_, what) && keys_line(words, side, what);
  }

  struct NumberedCheck {
    WorldCheck check;
    int line;
  };
  std::vector<Range> ranges;
  std::vector<NumberedCheck> checks;
  std::array<std::vector<Range>, kSides> side_ranges;  // key lines that name their side
  SideLines side_lines;

 private:
  using Words = std::vector<std::string_view>;

  // "player S NAME": the name is the rest of the line.
  bool player_line(std::string_view line, const Words& words, std::string& what) {
    if (words.size() < 3) {
      what = "'player' needs a side and a name";
      return false;
    }
    int64_t side = 0;
    if (parse_whole_number(words[1], 0, kSides - 1, side) != NumberCheck::kOk) {
      what = "'player' names side " + shown_text(words[1]) + ", not one of 0..3";
      return false;
    }
    const size_t from = static_cast<size_t>(words[2].data() - line.data());
    std::string_view written = line.substr(from);
    while (!written.empty() && (written.back() == ' ' || written.back() == '\t'))
      written.remove_suffix(1);
    if (!read_player_name(written, out_.players[static_cast<size_t>(side)])) {
      what = "side " + std::to_string(side) +
             "'s player name is not one: at most 24 characters of UTF-8 text without control "
             "characters";
      return false;
    }
    return true;
  }

  bool seed_line(const Words& words, std::string& what) {
    if (words.size() != 2) {
      what = "'seed' needs exactly one number";
      return false;
    }
    if (out_.seed) {
      what = "the seed is given twice";
      return false;
    }
    int64_t seed = 0;
    if (parse_whole_number(words[1], 0, UINT32_MAX, seed) != NumberCheck::kOk) {
      what = "seed " + quoted_text(words[1]) + " is not a whole number 0.." +
             std::to_string(UINT32_MAX);
      return false;
    }
    out_.seed = static_cast<uint32_t>(seed);
    return true;
  }

  // 'closed 3': the sides that take no part in a game of several humans.
  bool closed_line(const Words& words, std::string& what) {
    if (out_.humans == 0) {
      what = "'closed' comes after the 'humans' line of a game of several humans";
      return false;
    }
    if (out_.closed != 0 || words.size() < 2 || words.size() > kSides) {
      what = "'closed' is given once, with one to three sides, as in 'closed 3'";
      return false;
    }
    uint8_t closed = 0;
    for (size_t i = 1; i < words.size(); ++i) {
      int64_t side = 0;
      if (parse_whole_number(words[i], 0, kSides - 1, side) != NumberCheck::kOk) {
        what = "closed side " + quoted_text(words[i]) + " is not a side 0..3";
        return false;
      }
      const auto bit = static_cast<uint8_t>(1u << side);
      if (((closed | out_.humans) & bit) != 0) {
        what = "closed side " + std::to_string(side) + " is given twice or is a human side";
        return false;
      }
      closed = static_cast<uint8_t>(closed | bit);
    }
    out_.closed = closed;
    return true;
  }

  bool version_line(const Words& words, std::string& what) {
    if (words.size() != 2 || !is_version_word(words[1])) {
      what = "'version' needs one word of at most 64 printable characters";
      return false;
    }
    if (!out_.version.empty()) {
      what = "the version is given twice";
      return false;
    }
    out_.version = words[1];
    return true;
  }

  static bool preset_line(const Words& words, int lowest, int highest, int& value, bool& seen,
                          std::string& what) {
    const std::string name(words[0]);
    int64_t n = 0;
    if (words.size() != 2 || parse_whole_number(words[1], lowest, highest, n) != NumberCheck::kOk) {
      what = "'" + name + "' needs one number " + std::to_string(lowest) + ".." +
             std::to_string(highest);
      return false;
    }
    if (seen) {
      what = "the " + name + " is given twice";
      return false;
    }
    seen = true;
    value = static_cast<int>(n);
    return true;
  }

  static bool flag_line(const Words& words, bool& flag, std::string& what) {
    const std::string name(words[0]);
    if (words.size() != 1) {
      what = "'" + name + "' takes nothing after it";
      return false;
    }
    if (flag) {
      what = "'" + name + "' is given twice";
      return false;
    }
    flag = true;
    return true;
  }

  bool stage_hash_line(const Words& words, std::string& what) {
    uint64_t hash = 0;
    if (words.size() != 2 || !parse_hash(words[1], hash)) {
      what = "'stage-hash' needs a hash of 16 hex digits";
      return false;
    }
    if (out_.stage_hash) {
      what = "the stage hash is given twice";
      return false;
    }
    out_.stage_hash = hash;
    return true;
  }

  bool random_stage_line(const Words& words, std::string& what) {
    int64_t seed = 0;
    if (words.size() != 2 ||
        parse_whole_number(words[1], 0, UINT32_MAX, seed) != NumberCheck::kOk) {
      what = "'random-stage' needs one number 0.." + std::to_string(UINT32_MAX);
      return false;
    }
    if (out_.random_stage) {
      what = "the random stage is given twice";
      return false;
    }
    out_.random_stage = static_cast<uint32_t>(seed);
    return true;
  }

  // "check F HASH" and "end F HASH"; an end may name frame 0 (nothing ran).
  static bool frame_and_hash(const Words& words, int64_t lowest, WorldCheck& out,
                             std::string& what) {
    const std::string name(words[0]);
    if (words.size() != 3) {
      what = "'" + name + "' needs a frame and a hash of 16 hex digits";
      return false;
    }
    if (parse_whole_number(words[1], lowest, kMaxFrameNumber, out.frame) != NumberCheck::kOk) {
      what = name + " frame " + quoted_text(words[1]) + " is not a whole number " +
             std::to_string(lowest) + ".." + std::to_string(kMaxFrameNumber);
      return false;
    }
    if (!parse_hash(words[2], out.hash)) {
      what = name + " hash " + quoted_text(words[2]) + " is not 16 hex digits";
      return false;
    }
    return true;
  }

  // Checks are gathered in file order and sorted once at the end (see
  // sorted_checks): inserting each into its place would take time quadratic
  // in a file whose checks run backwards.
  bool check_line(const Words& words, std::string& what) {
    WorldCheck check{};
    if (!frame_and_hash(words, 1, check, what) || !before_end(check.frame, what)) return false;
    checks.push_back({check, line_number_});
    return true;
  }

  bool end_line(const Words& words, std::string& what) {
    WorldCheck end{};
    if (!frame_and_hash(words, 0, end, what)) return false;
    if (out_.end) {
      what = "the end is given twice";
      return false;
    }
    if (latest_ > end.frame) {
      what = "the end, frame " + std::to_string(end.frame) + ", comes before frame " +
             std::to_string(latest_) + " named earlier";
      return false;
    }
    out_.end = end;
    return true;
  }

  // Nothing happens after the end of a recording.
  bool before_end(int64_t frame, std::string& what) {
    if (out_.end && frame > out_.end->frame) {
      what = "frame " + std::to_string(frame) + " comes after the end, frame " +
             std::to_string(out_.end->frame);
      return false;
    }
    latest_ = std::max(latest_, frame);
    return true;
  }

  // "F key..." or "F-G key..."; after a side tag ("2: F key...") for `side`.
  bool keys_line(const Words& words, int side, std::string& what) {
    const size_t first = side < 0 ? 0 : 1;
    if (first >= words.size()) {
      what = "side " + std::to_string(side) + " needs frames and keys, as in '" +
             std::to_string(side) + ": 10-40 kp8'";
      return false;
    }
    const std::string_view frames = words[first];
    Range range{};
    const size_t dash = frames.find('-');
    if (dash == std::string_view::npos) {
      if (!parse_frame(frames, range.first, what)) return false;
      range.last = range.first;
    } else {
      if (!parse_frame(frames.substr(0, dash), range.first, what)) return false;
      if (!parse_frame(frames.substr(dash + 1), range.last, what)) return false;
      if (range.last < range.first) {
        what = "range " + shown_text(frames) + " runs backwards";
        return false;
      }
    }
    for (size_t i = first + 1; i < words.size(); ++i) {
      const auto it = std::find_if(kKeyNames.begin(), kKeyNames.end(),
                                   [&](const KeyName& k) { return words[i] == k.name; });
      if (it == kKeyNames.end()) {
        what = "unknown key " + quoted_text(words[i]) +
               " (keys: kp0 kp1 kp3 kp4 kp5 kp6 kp7 kp8 kp9 space tab)";
        return false;
      }
      range.keys = static_cast<KeyMask>(range.keys | (1u << it->key));
    }
    if (!before_end(range.last, what)) return false;
    out_.last_named_frame = std::max(out_.last_named_frame, range.last);
    if (range.keys != 0) (side < 0 ? ranges : side_ranges[side]).push_back(range);
    return true;
  }

  KeyScript& out_;
  int line_number_ = 0;
  int64_t latest_ = 0;  // the latest frame a key line or a check names
  bool seen_stage_ = false;
  bool seen_side_ = false;
};

// Turns possibly overlapping ranges into sorted disjoint spans: a sweep over
// the range ends that counts, per key, the ranges holding it down.
std::vector<KeyScript::Span> disjoint_spans(const std::vector<Range>& ranges) {
  struct Edge {
    int64_t frame;
    KeyMask keys;
    int delta;
  };
  std::vector<Edge> edges;
  edges.reserve(ranges.size() * 2);
  for (const Range& r : ranges) {
    edges.push_back({r.first, r.keys, +1});
    edges.push_back({r.last + 1, r.keys, -1});
  }
  std::sort(edges.begin(), edges.end(),
            [](const Edge& a, const Edge& b) { return a.frame < b.frame; });
  std::array<int64_t, kKeyCount> holding{};
  std::vector<KeyScript::Span> spans;
  size_t i = 0;
  while (i < edges.size()) {
    const int64_t frame = edges[i].frame;
    for (; i < edges.size() && edges[i].frame == frame; ++i) {
      for (int k = 0; k < kKeyCount; ++k) {
        if (edges[i].keys & (1u << k)) holding[k] += edges[i].delta;
      }
    }
    KeyMask keys = 0;
    for (int k = 0; k < kKeyCount; ++k) {
      if (holding[k] > 0) keys = static_cast<KeyMask>(keys | (1u << k));
    }
    // Every opening edge has a closing edge after it, so a frame with keys down
    // is always followed by another edge.
    if (keys == 0) continue;
    const int64_t last = edges[i].frame - 1;
    if (!spans.empty() && spans.back().keys == keys && spans.back().last == frame - 1) {
      spans.back().last = last;
    } else {
      spans.push_back({frame, last, keys});
    }
  }
  return spans;
}

// The checks sorted by frame. A frame checked twice is an error at the line
// that checks it the second time; of several, the earliest such line, as a
// reading that stopped there would have said.
bool sorted_checks(std::vector<Parser::NumberedCheck>& checks, std::vector<WorldCheck>& out,
                   int& twice_line, std::string& what) {
  std::sort(checks.begin(), checks.end(), [](const auto& a, const auto& b) {
    return a.check.frame != b.check.frame ? a.check.frame < b.check.frame : a.line < b.line;
  });
  twice_line = 0;
  for (size_t i = 1; i < checks.size(); ++i) {
    if (checks[i].check.frame != checks[i - 1].check.frame) continue;
    if (twice_line == 0 || checks[i].line < twice_line) {
      twice_line = checks[i].line;
      what = "frame " + std::to_string(checks[i].check.frame) + " is checked twice";
    }
  }
  if (twice_line != 0) return false;
  out.reserve(checks.size());
  for (const auto& c : checks) out.push_back(c.check);
  return true;
}

}  // namespace

KeyMask KeyScript::keys_at(int64_t frame) const {
  const auto it = std::upper_bound(spans.begin(), spans.end(), frame,
                                   [](int64_t f, const Span& s) { return f < s.first; });
  if (it == spans.begin()) return 0;
  const Span& span = *(it - 1);
  return frame <= span.last ? span.keys : KeyMask{0};
}

bool parse_key_script(std::string_view text, std::string_view name, KeyScript& out,
                      std::string& error) {
  out = KeyScript{};
  Parser parser(out);
  int error_line = 0;
  std::string what;
  for_each_text_line(text, [&](int line_number, std::string_view line) {
    out.lines = line_number;
    if (parser.line(line_number, line, what)) return true;
    error_line = line_number;
    return false;
  });
  // The lines read before an error may already hold a frame checked twice.
  int twice_line = 0;
  std::string twice;
  if (!sorted_checks(parser.checks, out.checks, twice_line, twice)) {
    error_line = twice_line;
    what = twice;
  }
  if (error_line != 0) {
    // A recording cut in the middle of its last line (the game that wrote it
    // stopped there) is read up to that line.
    const size_t last_break = text.rfind('\n');
    const auto last_line = std::count(text.begin(), text.end(), '\n') + 1;
    if (out.is_recording() && !out.end && error_line == last_line && !text.ends_with('\n') &&
        last_break != std::string_view::npos) {
      return parse_key_script(text.substr(0, last_break + 1), name, out, error);
    }
    error = std::string(name) + ":" + std::to_string(error_line) + ": " + what;
    return false;
  }
  // The end names the last frame, whether or not a key line reaches it.
  if (out.end) out.last_named_frame = std::max(out.last_named_frame, out.end->frame);
  out.spans = disjoint_spans(parser.ranges);
  for (int s = 0; s < kSides; ++s) out.side_spans[s] = disjoint_spans(parser.side_ranges[s]);
  parser.side_lines.finish(out);
  return true;
}

std::string written_player_name(std::string_view name) {
  std::string written;
  written.reserve(name.size());
  for (const char c : name) {
    if (c == '#') {
      written += "%23";
    } else if (c == '%') {
      written += "%25";
    } else {
      written += c;
    }
  }
  return written;
}

bool read_player_name(std::string_view written, std::string& name) {
  std::string read;
  read.reserve(written.size());
  for (size_t i = 0; i < written.size(); ++i) {
    const std::string_view rest = written.substr(i);
    if (rest.starts_with("%23") || rest.starts_with("%25")) {
      read += rest[2] == '3' ? '#' : '%';
      i += 2;
    } else {
      read += written[i];
    }
  }
  if (read.empty() || !net::is_clean_text(read, net::kMaxNameChars)) return false;
  name = std::move(read);
  return true;
}

bool load_key_script(const std::string& path, KeyScript& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open the key script";
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  if (size < 0 || size > kMaxScriptBytes) {
    error = path + ": not a key script (unreadable or larger than 64 MiB)";
    return false;
  }
  std::string text(static_cast<size_t>(size), '\0');
  if (!in.read(text.data(), size)) {
    error = path + ": cannot read the key script";
    return false;
  }
  return parse_key_script(text, path, out, error);
}

}  // namespace quarvex
