// Key scripts and replays come from the command line and so are untrusted:
// any text must parse or fail with a message, and a parsed script must hold
// what keys_at and a replay rely on: spans sorted, disjoint, never empty of
// keys; checks sorted, one per frame; nothing after the end; presets in
// their ranges. Replays (.qvr) are read by this same parser.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "replay/key_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quarvex::KeyScript script;
  std::string error;
  if (!quarvex::parse_key_script(text, "fuzz.txt", script, error)) {
    if (error.rfind("fuzz.txt:", 0) != 0) std::abort();
    return 0;
  }
  constexpr quarvex::KeyMask kAllKeys = (1u << quarvex::kKeyCount) - 1;
  int64_t previous_last = 0;
  for (const auto& span : script.spans) {
    if (span.first <= previous_last || span.last < span.first) std::abort();
    if (span.keys == 0 || (span.keys & ~kAllKeys) != 0) std::abort();
    if (span.last > script.last_named_frame) std::abort();
    if (script.keys_at(span.first) != span.keys || script.keys_at(span.last) != span.keys)
      std::abort();
    previous_last = span.last;
  }
  if (script.keys_at(previous_last + 1) != 0 || script.keys_at(0) != 0) std::abort();

  int64_t previous_check = 0;
  for (const quarvex::WorldCheck& check : script.checks) {
    if (check.frame <= previous_check) std::abort();
    if (script.end && check.frame > script.end->frame) std::abort();
    previous_check = check.frame;
  }
  if (script.end &&
      (previous_last > script.end->frame || script.last_named_frame != script.end->frame))
    std::abort();
  if (script.stage < 1 || script.stage > 3 || script.side < 0 || script.side > 3) std::abort();

  // A game of several humans: per-side spans as above, events in order.
  if (script.humans > 0xF || script.sides_named > 0xF) std::abort();
  if (script.humans != 0 && ((script.sides_named & ~script.humans) != 0 || !script.spans.empty()))
    std::abort();
  for (int s = 0; s < quarvex::kSides; ++s) {
    int64_t last = 0;
    for (const auto& span : script.side_spans[s]) {
      if (span.first <= last || span.last < span.first || span.keys == 0) std::abort();
      if ((span.keys & ~kAllKeys) != 0 || span.last > script.last_named_frame) std::abort();
      if (((script.sides_named >> s) & 1) == 0) std::abort();
      if (script.input_at(span.first).keys[s] != span.keys ||
          script.input_at(span.last).keys[s] != span.keys)
        std::abort();
      last = span.last;
    }
    if (script.input_at(last + 1).keys[s] != 0) std::abort();
  }
  int64_t previous_event = 0;
  for (const quarvex::FrameEvents& e : script.events) {
    if (e.frame <= previous_event || (script.end && e.frame > script.end->frame)) std::abort();
    if ((e.to_computer | e.to_human | e.pause | e.resume) == 0) std::abort();
    if (((e.to_computer | e.to_human | e.pause | e.resume) & ~script.sides_named) != 0)
      std::abort();
    const quarvex::FrameInput input = script.input_at(e.frame);
    if (input.to_computer != e.to_computer || input.to_human != e.to_human ||
        input.pause != e.pause || input.resume != e.resume)
      std::abort();
    previous_event = e.frame;
  }
  for (const char c : script.version) {
    if (c <= ' ' || c >= 0x7F) std::abort();
  }
  return 0;
}
