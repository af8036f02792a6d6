#include "app/key_script.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include "app/options.h"
#include "app/text_lines.h"
#include "app/whole_number.h"

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
    case NumberCheck::kNotANumber: {
      // Appended piece by piece: g++ 12 at -O3 takes "'" + std::string for an
      // overlapping copy and stops a -Werror build.
      std::string message = "'";
      message.append(text).append("' is not a frame number or 'seed'");
      what = std::move(message);
      return false;
    }
    case NumberCheck::kOutOfRange:
      break;
  }
  what = "frame " + std::string(text) + " is outside 1.." + std::to_string(kMaxFrameNumber);
  return false;
}

bool parse_line(std::string_view line, std::vector<Range>& ranges, KeyScript& out,
                std::string& what) {
  const std::vector<std::string_view> words = split_words(line);
  if (words.empty()) return true;
  if (words[0] == "seed") {
    if (words.size() != 2) {
      what = "'seed' needs exactly one number";
      return false;
    }
    if (out.seed) {
      what = "the seed is given twice";
      return false;
    }
    int64_t seed = 0;
    if (parse_whole_number(words[1], 0, UINT32_MAX, seed) != NumberCheck::kOk) {
      what = "seed '" + std::string(words[1]) + "' is not a whole number 0.." +
             std::to_string(UINT32_MAX);
      return false;
    }
    out.seed = static_cast<uint32_t>(seed);
    return true;
  }
  Range range{};
  const size_t dash = words[0].find('-');
  if (dash == std::string_view::npos) {
    if (!parse_frame(words[0], range.first, what)) return false;
    range.last = range.first;
  } else {
    if (!parse_frame(words[0].substr(0, dash), range.first, what)) return false;
    if (!parse_frame(words[0].substr(dash + 1), range.last, what)) return false;
    if (range.last < range.first) {
      what = "range " + std::string(words[0]) + " runs backwards";
      return false;
    }
  }
  for (size_t i = 1; i < words.size(); ++i) {
    const auto it = std::find_if(kKeyNames.begin(), kKeyNames.end(),
                                 [&](const KeyName& k) { return words[i] == k.name; });
    if (it == kKeyNames.end()) {
      what = "unknown key '" + std::string(words[i]) +
             "' (keys: kp0 kp1 kp3 kp4 kp5 kp6 kp7 kp8 kp9 space tab)";
      return false;
    }
    range.keys = static_cast<KeyMask>(range.keys | (1u << it->key));
  }
  out.last_named_frame = std::max(out.last_named_frame, range.last);
  if (range.keys != 0) ranges.push_back(range);
  return true;
}

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
  std::vector<Range> ranges;
  bool ok = true;
  for_each_text_line(text, [&](int line_number, std::string_view line) {
    std::string what;
    if (parse_line(line, ranges, out, what)) return true;
    error = std::string(name) + ":" + std::to_string(line_number) + ": " + what;
    ok = false;
    return false;
  });
  if (!ok) return false;
  out.spans = disjoint_spans(ranges);
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

KeyMask mask_from_keys(const std::array<bool, kKeyCount>& down) {
  KeyMask mask = 0;
  for (int k = 0; k < kKeyCount; ++k) {
    if (down[k]) mask = static_cast<KeyMask>(mask | (1u << k));
  }
  return mask;
}

void keys_from_mask(KeyMask mask, std::array<bool, kKeyCount>& down) {
  for (int k = 0; k < kKeyCount; ++k) down[k] = (mask >> k) & 1u;
}

}  // namespace quarvex
