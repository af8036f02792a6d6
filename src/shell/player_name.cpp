#include "shell/player_name.h"

#include <cstdlib>

#include "world/shown_text.h"

#ifndef __EMSCRIPTEN__
#include <pwd.h>
#include <unistd.h>
#endif

namespace quarvex {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kNobody = "Player";

}  // namespace

std::string clean_line(std::string_view raw, size_t max_code_points) {
  std::string out;
  size_t count = 0;
  size_t i = 0;
  while (i < raw.size() && count < max_code_points) {
    char32_t c = 0;
    size_t length = utf8_sequence(raw.substr(i), c);
    std::string_view piece = raw.substr(i, length);
    if (length == 0) {
      length = 1;
      piece = kReplacement;
    } else if (c < 0x20 || c == 0x7F || invisible_control(c)) {
      i += length;
      continue;
    }
    // Leading spaces would count against the limit yet are trimmed.
    if (!(out.empty() && c == ' ' && piece.size() == 1)) {
      out += piece;
      ++count;
    }
    i += length;
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

std::string system_player_name() {
#ifdef __EMSCRIPTEN__
  return std::string(kNobody);
#else
  std::string name;
  if (const char* user = std::getenv("USER")) name = clean_line(user, kMaxNameCodePoints);
  if (name.empty()) {
    if (const passwd* entry = getpwuid(getuid())) {
      if (entry->pw_name != nullptr) name = clean_line(entry->pw_name, kMaxNameCodePoints);
    }
  }
  return name.empty() ? std::string(kNobody) : name;
#endif
}

std::string player_name(std::string_view chosen) {
  std::string name = clean_line(chosen, kMaxNameCodePoints);
  return name.empty() ? system_player_name() : name;
}

}  // namespace quarvex
