#include "net/player_text.h"

#include <cstdint>

namespace quarvex::net {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// Decodes one code point at `at`, advancing past it; an invalid sequence
// (cut short, overlong, a surrogate, beyond U+10FFFF) yields U+FFFD and
// advances one byte, so decoding always moves on.
uint32_t next_point(std::string_view text, size_t& at) {
  const auto lead = static_cast<uint8_t>(text[at]);
  size_t extra = 0;
  uint32_t point = 0;
  uint32_t lowest = 0;
  if (lead < 0x80) {
    ++at;
    return lead;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    point = lead & 0x1Fu;
    lowest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    point = lead & 0x0Fu;
    lowest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    point = lead & 0x07u;
    lowest = 0x10000;
  } else {
    ++at;
    return kReplacement;
  }
  if (extra >= text.size() - at) {
    ++at;
    return kReplacement;
  }
  for (size_t i = 1; i <= extra; ++i) {
    const auto b = static_cast<uint8_t>(text[at + i]);
    if ((b & 0xC0) != 0x80) {
      ++at;
      return kReplacement;
    }
    point = (point << 6) | (b & 0x3Fu);
  }
  if (point < lowest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
    ++at;
    return kReplacement;
  }
  at += extra + 1;
  return point;
}

bool is_control(uint32_t point) {
  return point < 0x20 || (point >= 0x7F && point <= 0x9F) || point == 0x2028 || point == 0x2029;
}

void append_point(std::string& out, uint32_t point) {
  if (point < 0x80) {
    out += static_cast<char>(point);
  } else if (point < 0x800) {
    out += static_cast<char>(0xC0 | (point >> 6));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else if (point < 0x10000) {
    out += static_cast<char>(0xE0 | (point >> 12));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (point >> 18));
    out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (point & 0x3F));
  }
}

}  // namespace

std::string clean_text(std::string_view text, size_t max_chars) {
  std::string out;
  size_t chars = 0;
  size_t at = 0;
  while (at < text.size() && chars < max_chars) {
    const uint32_t point = next_point(text, at);
    if (is_control(point) || (point == ' ' && chars == 0)) continue;
    append_point(out, point);
    ++chars;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

bool is_clean_text(std::string_view text, size_t max_chars) {
  return text.size() <= max_text_bytes(max_chars) && clean_text(text, max_chars) == text;
}

std::string player_name(std::string_view wanted, int side) {
  std::string name = clean_text(wanted, kMaxNameChars);
  if (name.empty()) {
    name = "Player ";
    name += std::to_string(side + 1);
  }
  return name;
}

}  // namespace quarvex::net
