#include "app/token_text.h"

#include <cstdio>

namespace quarvex {

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string token_text(const net::Token& token) {
  std::string text;
  char digits[3];
  for (uint8_t b : token) {
    std::snprintf(digits, sizeof digits, "%02x", b);
    text += digits;
  }
  return text;
}

net::Token token_from_text(const std::string& text) {
  net::Token token{};
  for (size_t i = 0; i < token.size() && 2 * i + 1 < text.size(); ++i) {
    const int high = hex_digit(text[2 * i]);
    const int low = hex_digit(text[2 * i + 1]);
    // Not a digit: no token at all, never half of one.
    if (high < 0 || low < 0) return net::Token{};
    token[i] = static_cast<uint8_t>(high * 16 + low);
  }
  return token;
}

}  // namespace quarvex
