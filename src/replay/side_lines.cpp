#include "replay/side_lines.h"

#include <algorithm>

#include "world/whole_number.h"

namespace quarvex {

namespace {

struct EventWord {
  std::string_view word;
  uint8_t FrameEvents::*kind;
};
constexpr EventWord kEventWords[] = {
    {"computer", &FrameEvents::to_computer},
    {"human", &FrameEvents::to_human},
    {"pause", &FrameEvents::pause},
    {"resume", &FrameEvents::resume},
};

uint8_t bit(int side) {
  return static_cast<uint8_t>(1u << side);
}

std::string side_list(uint8_t sides) {
  std::string list;
  for (int s = 0; s < kSides; ++s) {
    if ((sides & bit(s)) == 0) continue;
    if (!list.empty()) list += ' ';
    list += std::to_string(s);
  }
  return list;
}

KeyMask keys_of(const std::vector<KeyScript::Span>& spans, int64_t frame) {
  const auto it = std::upper_bound(spans.begin(), spans.end(), frame,
                                   [](int64_t f, const KeyScript::Span& s) { return f < s.first; });
  if (it == spans.begin()) return 0;
  const KeyScript::Span& span = *(it - 1);
  return frame <= span.last ? span.keys : KeyMask{0};
}

}  // namespace

int side_tag(std::string_view word) {
  if (word.size() != 2 || word[1] != ':' || word[0] < '0' || word[0] >= '0' + kSides) return -1;
  return word[0] - '0';
}

bool is_event_word(std::string_view word) {
  return std::any_of(std::begin(kEventWords), std::end(kEventWords),
                     [&](const EventWord& e) { return e.word == word; });
}

bool SideLines::humans_line(const Words& words, bool side_given, KeyScript& out,
                            std::string& what) {
  if (out.humans != 0) {
    what = "the human sides are given twice";
    return false;
  }
  if (side_given || out.watch) {
    what = "'humans' does not go with 'side' or 'watch': the lowest human side is the player's";
    return false;
  }
  uint8_t humans = 0;
  for (size_t i = 1; i < words.size(); ++i) {
    int64_t side = 0;
    if (parse_whole_number(words[i], 0, kSides - 1, side) != NumberCheck::kOk) {
      what = "human side '" + std::string(words[i]) + "' is not a side 0..3";
      return false;
    }
    if ((humans & bit(static_cast<int>(side))) != 0) {
      what = "side " + std::to_string(side) + " is named twice";
      return false;
    }
    humans = static_cast<uint8_t>(humans | bit(static_cast<int>(side)));
  }
  if (humans == 0) {
    what = "'humans' needs the human sides, as in 'humans 0 2'";
    return false;
  }
  if (keys_without_sides_) {
    what = "a game of several humans names the side of every key line, as '2: 10-40 kp8'";
    return false;
  }
  if ((out.sides_named & ~humans) != 0) {
    what = "side " + side_list(out.sides_named & ~humans) +
           " is named by an earlier line but is not a human side";
    return false;
  }
  out.humans = humans;
  return true;
}

bool SideLines::human_side(int side, const KeyScript& out, std::string& what) const {
  if (out.humans == 0 || (out.humans & bit(side)) != 0) return true;
  what = "side " + std::to_string(side) + " is not a human side (humans " + side_list(out.humans) +
         ")";
  return false;
}

bool SideLines::event_line(const Words& words, KeyScript& out, int64_t& frame, std::string& what) {
  const std::string name(words[0]);
  int64_t side = 0;
  if (words.size() != 3 ||
      parse_whole_number(words[1], 1, kMaxFrameNumber, frame) != NumberCheck::kOk ||
      parse_whole_number(words[2], 0, kSides - 1, side) != NumberCheck::kOk) {
    what = "'" + name + "' needs a frame 1.." + std::to_string(kMaxFrameNumber) +
           " and a side 0..3, as in '" + name + " 900 2'";
    return false;
  }
  if (!human_side(static_cast<int>(side), out, what)) return false;
  const auto* e = std::find_if(std::begin(kEventWords), std::end(kEventWords),
                               [&](const EventWord& w) { return w.word == words[0]; });
  events_.push_back({frame, e->kind, static_cast<uint8_t>(side)});
  out.sides_named = static_cast<uint8_t>(out.sides_named | bit(static_cast<int>(side)));
  return true;
}

bool SideLines::key_line(int side, KeyScript& out, std::string& what) {
  if (side < 0) {
    if (out.humans != 0) {
      what = "a game of several humans names the side of every key line, as '2: 10-40 kp8'";
      return false;
    }
    keys_without_sides_ = true;
  } else {
    if (!human_side(side, out, what)) return false;
    keys_with_sides_ = true;
    out.sides_named = static_cast<uint8_t>(out.sides_named | bit(side));
  }
  if (keys_with_sides_ && keys_without_sides_) {
    what =
        "key lines either all name their side ('2: 10-40 kp8', a game of several humans) "
        "or none does";
    return false;
  }
  return true;
}

void SideLines::finish(KeyScript& out) const {
  std::vector<Event> events = events_;
  std::stable_sort(events.begin(), events.end(),
                   [](const Event& a, const Event& b) { return a.frame < b.frame; });
  out.events.clear();
  for (const Event& e : events) {
    if (out.events.empty() || out.events.back().frame != e.frame) {
      out.events.push_back(FrameEvents{e.frame, 0, 0, 0, 0});
    }
    FrameEvents& at = out.events.back();
    at.*e.kind = static_cast<uint8_t>(at.*e.kind | bit(e.side));
  }
}

FrameInput KeyScript::input_at(int64_t frame) const {
  FrameInput input;
  for (int s = 0; s < kSides; ++s) input.keys[s] = keys_of(side_spans[s], frame);
  const auto it = std::lower_bound(events.begin(), events.end(), frame,
                                   [](const FrameEvents& e, int64_t f) { return e.frame < f; });
  if (it != events.end() && it->frame == frame) {
    input.to_computer = it->to_computer;
    input.to_human = it->to_human;
    input.pause = it->pause;
    input.resume = it->resume;
  }
  return input;
}

}  // namespace quarvex
