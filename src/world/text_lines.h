#pragma once
// Line splitting shared by the hand-written text formats (key scripts, stage
// sources): '#' starts a comment, a '\r' before the line break is dropped.

#include <string_view>
#include <vector>

namespace quarvex {

// Calls go_on(line_number, line) for every line, numbered from 1, with its
// comment removed; stops early when go_on returns false.
template <typename LineFn>
void for_each_text_line(std::string_view text, LineFn&& go_on) {
  int line_number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++line_number;
    const size_t hash = line.find('#');
    if (hash != std::string_view::npos) line = line.substr(0, hash);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!go_on(line_number, line)) return;
  }
}

// The words of a line, separated by spaces and tabs.
inline std::vector<std::string_view> split_words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

}  // namespace quarvex
