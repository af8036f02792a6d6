#include "replay/battle_version.h"

#include <array>
#include <cstdint>
#include <optional>

namespace quarvex {

namespace {

using Version = std::array<uint32_t, 3>;

// MAJOR.MINOR.PATCH, each part up to six digits; anything else is no version.
std::optional<Version> parse_version(std::string_view text) {
  Version v{};
  size_t at = 0;
  for (size_t part = 0; part < v.size(); ++part) {
    if (part > 0) {
      if (at >= text.size() || text[at] != '.') return std::nullopt;
      ++at;
    }
    const size_t first = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - first < 6) {
      v[part] = v[part] * 10 + static_cast<uint32_t>(text[at] - '0');
      ++at;
    }
    if (at == first) return std::nullopt;
  }
  if (at != text.size()) return std::nullopt;
  return v;
}

}  // namespace

bool plays_these_battles(std::string_view recorded) {
  const std::optional<Version> version = parse_version(recorded);
  if (!version) return true;
  return *version >= *parse_version(kFirstVersionOfTheseBattles);
}

std::string battles_differ_text(std::string_view recorded, std::string_view current) {
  return "recorded by quarvex " + std::string(recorded) +
         ", whose battles play differently from this version (" + std::string(current) +
         "); it cannot be replayed exactly";
}

}  // namespace quarvex
