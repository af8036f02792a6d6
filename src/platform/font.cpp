#include "platform/font.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace quarvex {

namespace {

TTF_Font* ttf(void* face) {
  return static_cast<TTF_Font*>(face);
}

// The next code point of UTF-8 text at `i`, moving `i` past it; a byte that
// starts no complete sequence counts as itself.
uint32_t next_point(std::string_view text, size_t& i) {
  const auto c = static_cast<unsigned char>(text[i]);
  size_t more = 0;
  if ((c & 0xE0) == 0xC0) more = 1;
  if ((c & 0xF0) == 0xE0) more = 2;
  if ((c & 0xF8) == 0xF0) more = 3;
  if (more == 0 || i + more >= text.size()) {
    ++i;
    return c;
  }
  uint32_t point = c & (0x3Fu >> more);
  for (size_t k = 1; k <= more; ++k) {
    point = point << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
  }
  i += more + 1;
  return point;
}

// A stretch of one line drawn with one face.
struct Run {
  std::string text;
  TTF_Font* face;
};

// The line split where the face that draws its characters changes: the
// primary face for every character it has (and every character neither
// has), the other face for the rest.
std::vector<Run> runs_of(std::string_view line, TTF_Font* primary, TTF_Font* other) {
  std::vector<Run> runs;
  size_t i = 0;
  while (i < line.size()) {
    const size_t start = i;
    const uint32_t point = next_point(line, i);
    TTF_Font* face = primary;
    if (other != nullptr && TTF_GlyphIsProvided32(primary, point) == 0 &&
        TTF_GlyphIsProvided32(other, point) != 0) {
      face = other;
    }
    if (runs.empty() || runs.back().face != face) runs.push_back(Run{{}, face});
    runs.back().text.append(line.substr(start, i - start));
  }
  return runs;
}

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return lines;
}

// Whether the face draws every character it can be asked to: every one it
// has, and every one the other face lacks too. Measured every frame, so it
// looks at the characters without keeping anything.
bool one_face_suffices(std::string_view text, TTF_Font* primary, TTF_Font* other) {
  if (other == nullptr) return true;
  size_t i = 0;
  while (i < text.size()) {
    const uint32_t point = next_point(text, i);
    if (point != '\n' && TTF_GlyphIsProvided32(primary, point) == 0 &&
        TTF_GlyphIsProvided32(other, point) != 0) {
      return false;
    }
  }
  return true;
}

int line_width(const std::vector<Run>& runs) {
  int width = 0;
  for (const Run& run : runs) {
    int w = 0;
    int h = 0;
    if (TTF_SizeUTF8(run.face, run.text.c_str(), &w, &h) == 0) width += w;
  }
  return width;
}

// Copies a white picture's coverage into `out` at (x, y), keeping the larger
// where two runs touch, clipped to `out`.
void put(const SDL_Surface* rgba, int x, int y, Image& out) {
  for (int row = 0; row < rgba->h; ++row) {
    const int to_y = y + row;
    if (to_y < 0 || to_y >= out.height) continue;
    const auto* from = static_cast<const uint8_t*>(rgba->pixels) + size_t(row) * rgba->pitch;
    for (int column = 0; column < rgba->w; ++column) {
      const int to_x = x + column;
      if (to_x < 0 || to_x >= out.width) continue;
      uint8_t* pixel = &out.rgba[(size_t(to_y) * out.width + to_x) * 4];
      pixel[3] = std::max(pixel[3], from[column * 4 + 3]);
    }
  }
}

bool copy_surface(SDL_Surface* text, Image& out) {
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(text, SDL_PIXELFORMAT_RGBA32, 0);
  SDL_FreeSurface(text);
  if (rgba == nullptr) return false;
  out.width = rgba->w;
  out.height = rgba->h;
  out.rgba.resize(size_t(rgba->w) * rgba->h * 4);
  SDL_LockSurface(rgba);
  for (int y = 0; y < rgba->h; ++y) {
    std::memcpy(&out.rgba[size_t(y) * rgba->w * 4],
                static_cast<const uint8_t*>(rgba->pixels) + size_t(y) * rgba->pitch,
                size_t(rgba->w) * 4);
  }
  SDL_UnlockSurface(rgba);
  SDL_FreeSurface(rgba);
  return true;
}

}  // namespace

std::unique_ptr<Fonts> Fonts::open(const std::string& latin_path, const std::string& japanese_path,
                                   std::string& error) {
  if (TTF_Init() != 0) {
    error = TTF_GetError();
    return nullptr;
  }
  std::unique_ptr<Fonts> fonts(new Fonts());
  std::string problems;
  if (!latin_path.empty()) {
    fonts->latin_ = TTF_OpenFont(latin_path.c_str(), kLatinFontHeight);
    if (fonts->latin_ == nullptr) problems += latin_path + ": " + TTF_GetError();
  }
  if (!japanese_path.empty()) {
    // A cell height of 20 pixels, as a Windows font height of 20 gives.
    fonts->japanese_ = TTF_OpenFont(japanese_path.c_str(), kJapaneseFontHeight);
    if (fonts->japanese_ == nullptr) {
      problems += (problems.empty() ? "" : "; ") + japanese_path + ": " + TTF_GetError();
    }
  }
  if (fonts->latin_ == nullptr && fonts->japanese_ == nullptr) {
    error = problems.empty() ? "no font was found" : problems;
    return nullptr;  // the destructor quits SDL2_ttf again
  }
  error = problems;
  return fonts;
}

Fonts::~Fonts() {
  if (latin_ != nullptr) TTF_CloseFont(ttf(latin_));
  if (japanese_ != nullptr) TTF_CloseFont(ttf(japanese_));
  TTF_Quit();
}

void* Fonts::face_of(TextFace face) const {
  void* wanted = face == TextFace::kJapanese ? japanese_ : latin_;
  return wanted != nullptr ? wanted : (face == TextFace::kJapanese ? latin_ : japanese_);
}

void* Fonts::other_than(void* face) const {
  void* other = face == latin_ ? japanese_ : latin_;
  return other == face ? nullptr : other;
}

TextSize Fonts::size(const char* utf8, TextFace face) const {
  TextSize size;
  if (utf8 == nullptr || utf8[0] == '\0') return size;
  TTF_Font* primary = ttf(face_of(face));
  TTF_Font* other = ttf(other_than(primary));
  const bool one_face = one_face_suffices(utf8, primary, other);
  int whole_width = 0;
  int whole_height = 0;
  if (one_face && TTF_SizeUTF8(primary, utf8, &whole_width, &whole_height) != 0) return size;
  // One line (a line break at the very end makes no second one), as most are.
  const char* line_break = std::strchr(utf8, '\n');
  if (one_face && (line_break == nullptr || line_break[1] == '\0')) {
    return TextSize{whole_width, whole_height};
  }
  const std::vector<std::string_view> lines = lines_of(utf8);
  for (const std::string_view line : lines) {
    size.width = std::max(size.width, line_width(runs_of(line, primary, other)));
  }
  const int lineskip = TTF_FontLineSkip(primary);
  const int first_row =
      one_face ? std::max(whole_height, lineskip) : std::max(TTF_FontHeight(primary), lineskip);
  size.height = lines.size() <= 1 && !one_face
                    ? TTF_FontHeight(primary)
                    : first_row + lineskip * (static_cast<int>(lines.size()) - 1);
  return size;
}

bool Fonts::render(const char* utf8, TextFace face, Image& out) const {
  if (utf8 == nullptr || utf8[0] == '\0') return false;
  TTF_Font* primary = ttf(face_of(face));
  TTF_Font* other = ttf(other_than(primary));
  const SDL_Color white{255, 255, 255, 255};
  if (one_face_suffices(utf8, primary, other)) {
    SDL_Surface* text = TTF_RenderUTF8_Blended_Wrapped(primary, utf8, white, 0);
    return text != nullptr && copy_surface(text, out);
  }
  const TextSize size = this->size(utf8, face);
  if (size.width <= 0 || size.height <= 0) return false;
  out.width = size.width;
  out.height = size.height;
  out.rgba.assign(size_t(size.width) * size.height * 4, 255);
  for (size_t i = 3; i < out.rgba.size(); i += 4) out.rgba[i] = 0;
  const int lineskip = TTF_FontLineSkip(primary);
  const int baseline = TTF_FontAscent(primary);
  int top = 0;
  for (const std::string_view line : lines_of(utf8)) {
    int x = 0;
    for (const Run& run : runs_of(line, primary, other)) {
      SDL_Surface* picture = TTF_RenderUTF8_Blended(run.face, run.text.c_str(), white);
      if (picture == nullptr) continue;
      SDL_Surface* rgba = SDL_ConvertSurfaceFormat(picture, SDL_PIXELFORMAT_RGBA32, 0);
      SDL_FreeSurface(picture);
      if (rgba == nullptr) continue;
      SDL_LockSurface(rgba);
      put(rgba, x, top + baseline - TTF_FontAscent(run.face), out);
      SDL_UnlockSurface(rgba);
      x += rgba->w;
      SDL_FreeSurface(rgba);
    }
    top += lineskip;
  }
  return true;
}

}  // namespace quarvex
