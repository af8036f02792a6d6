#include "world/shown_text.h"

#include <cstdint>
#include <cstdio>

namespace quarvex {

// Overlong forms, surrogates and values above U+10FFFF are no sequence.
size_t utf8_sequence(std::string_view s, char32_t& code_point) {
  const auto b0 = static_cast<uint8_t>(s[0]);
  size_t length = 0;
  char32_t lowest = 0;
  if (b0 < 0x80) {
    code_point = b0;
    return 1;
  }
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
    code_point = b0 & 0x1F;
    lowest = 0x80;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    code_point = b0 & 0x0F;
    lowest = 0x800;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    code_point = b0 & 0x07;
    lowest = 0x10000;
  } else {
    return 0;
  }
  if (s.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto b = static_cast<uint8_t>(s[i]);
    if ((b & 0xC0) != 0x80) return 0;
    code_point = (code_point << 6) | (b & 0x3F);
  }
  if (code_point < lowest || code_point > 0x10FFFF) return 0;
  if (code_point >= 0xD800 && code_point <= 0xDFFF) return 0;
  return length;
}

bool invisible_control(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

namespace {

void append_byte_escape(std::string& out, uint8_t b) {
  char text[8];
  std::snprintf(text, sizeof text, "\\x%02X", b);
  out += text;
}

}  // namespace

std::string shown_text(std::string_view bytes, size_t limit) {
  std::string out;
  size_t shown = 0;
  size_t i = 0;
  while (i < bytes.size()) {
    if (shown == limit) {
      out += "...";
      break;
    }
    ++shown;
    char32_t c = 0;
    const size_t length = utf8_sequence(bytes.substr(i), c);
    if (length == 0) {
      append_byte_escape(out, static_cast<uint8_t>(bytes[i]));
      ++i;
      continue;
    }
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      append_byte_escape(out, static_cast<uint8_t>(c));
    } else if (invisible_control(c)) {
      char text[16];
      std::snprintf(text, sizeof text, "\\u{%04X}", static_cast<unsigned>(c));
      out += text;
    } else {
      out.append(bytes.substr(i, length));
    }
    i += length;
  }
  return out;
}

bool is_valid_utf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    char32_t c = 0;
    const size_t length = utf8_sequence(bytes.substr(i), c);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

bool is_plain_text(std::string_view bytes, bool line_breaks) {
  size_t i = 0;
  while (i < bytes.size()) {
    char32_t c = 0;
    const size_t length = utf8_sequence(bytes.substr(i), c);
    if (length == 0) return false;
    const bool line_break = c == '\t' || c == '\n' || c == '\r';
    if ((c < 0x20 && !(line_breaks && line_break)) || c == 0x7F || invisible_control(c)) {
      return false;
    }
    i += length;
  }
  return true;
}

std::string quoted_text(std::string_view bytes, size_t limit) {
  std::string out = "'";
  out += shown_text(bytes, limit);
  out += '\'';
  return out;
}

}  // namespace quarvex
