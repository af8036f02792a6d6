#pragma once
// The overlay font: a Japanese Gothic face found through fontconfig, drawn
// with SDL2_ttf into white RGBA pictures that the device tints.

#include <memory>
#include <string>

#include "platform/image.h"

namespace quarvex {

// Path of IPAGothic when installed, else of any face for Japanese; empty when
// none is found.
std::string find_japanese_font();

class Font {
 public:
  // Null when the face cannot be opened; `error` says why.
  static std::unique_ptr<Font> open(const std::string& path, int height, std::string& error);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  // White text with its coverage as alpha; newlines start new lines. False
  // for empty text or a failure.
  bool render(const char* utf8, Image& out) const;

 private:
  explicit Font(void* face) : face_(face) {}
  void* face_;  // TTF_Font, kept out of this header
};

}  // namespace quarvex
