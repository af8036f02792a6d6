#include "render/panel_drawing.h"

#include <algorithm>
#include <vector>

namespace quarvex {

namespace {

ScreenVertex corner(int x, int y, uint32_t colour) {
  return ScreenVertex{static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f, colour, 0.0f, 0.0f};
}

bool starts_character(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
}

}  // namespace

void fill(Device& d, int x0, int y0, int x1, int y1, uint32_t colour) {
  d.draw_screen_quad(-1, {{corner(x0, y0, colour), corner(x0, y1, colour), corner(x1, y1, colour),
                           corner(x1, y0, colour)}});
}

void panel(Device& d, int x0, int y0, int x1, int y1) {
  fill(d, x0 - 1, y0 - 1, x1 + 1, y1 + 1, kBorderColour);
  fill(d, x0, y0, x1, y1, 0xFF101820u);
  fill(d, x0, y0, x1, y1, kPanelColour);
}

TextRect line_box(int left, int top, int right) {
  return TextRect{left, top, right, top + kLine};
}

void text(Device& d, const std::string& s, const TextRect& box, uint32_t colour) {
  d.draw_text(s.c_str(), box, TextAlign::kLeft, colour);
}

void centred(Device& d, const std::string& s, const TextRect& box, uint32_t colour) {
  d.draw_text(s.c_str(), box, TextAlign::kCentre, colour);
}

int text_width(Device& d, const std::string& s) {
  return d.text_size(s.c_str()).width;
}

std::string fitted(Device& d, std::string s, int width) {
  if (text_width(d, s) <= width) return s;
  // The longest start of the text, cut between characters, that fits with the dots.
  std::vector<size_t> cuts;
  for (size_t i = 0; i < s.size(); ++i) {
    if (starts_character(s[i])) cuts.push_back(i);
  }
  size_t low = 0;  // cuts[low] always fits: the empty start
  size_t high = cuts.size();
  while (high - low > 1) {
    const size_t middle = (low + high) / 2;
    if (text_width(d, s.substr(0, cuts[middle]) + "...") <= width) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return s.substr(0, cuts[low]) + "...";
}

std::string wrapped(Device& d, const std::string& s, int width) {
  std::string out;
  size_t start = 0;
  while (start <= s.size()) {
    const size_t end = std::min(s.find('\n', start), s.size());
    std::string line = s.substr(start, end - start);
    while (text_width(d, line) > width) {
      // The longest start of the line that fits, cut after its last space
      // when it has one.
      size_t fits = 0;
      size_t after_space = 0;
      for (size_t i = 1; i <= line.size(); ++i) {
        if (i < line.size() && !starts_character(line[i])) continue;
        if (fits > 0 && text_width(d, line.substr(0, i)) > width) break;
        fits = i;
        if (line[i - 1] == ' ') after_space = i;
      }
      const size_t cut = after_space > 0 ? after_space : fits;
      std::string head = line.substr(0, cut);
      while (!head.empty() && head.back() == ' ') head.pop_back();
      out += head + '\n';
      line.erase(0, cut);
    }
    out += line;
    if (end == s.size()) break;
    out += '\n';
    start = end + 1;
  }
  return out;
}

}  // namespace quarvex
