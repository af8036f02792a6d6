#pragma once
// The overlay's two faces, drawn with SDL2_ttf into white RGBA pictures that
// the device tints: a Latin face made for reading on screen (DejaVu Sans)
// and a Japanese Gothic face (IPAGothic). A text is drawn with the face of
// its language; a character that face lacks is drawn from the other, so no
// character either face has ever shows as a box. SDL2_ttf draws with one
// face per call, so such a text is drawn in runs and put together on one
// baseline. Needs no window: tests measure texts without one.

#include <memory>
#include <string>

#include "lang/face.h"
#include "platform/device.h"
#include "platform/image.h"

namespace quarvex {

// Path of IPAGothic when installed, else of any face for Japanese; empty when
// none is found.
std::string find_japanese_font();
// Path of DejaVu Sans when installed, else of any face for English; empty
// when none is found.
std::string find_latin_font();

// Pixel heights: the Japanese face at the game's 20, the Latin face a little
// smaller, so that its taller capitals and its descenders fit the same lines.
constexpr int kJapaneseFontHeight = 20;
constexpr int kLatinFontHeight = 16;

class Fonts {
 public:
  // Opens the faces at these paths (either may be empty: the other stands
  // in for it). Null when neither opens; `error` says why.
  static std::unique_ptr<Fonts> open(const std::string& latin_path,
                                     const std::string& japanese_path, std::string& error);
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  // Whether that face itself is open (the other stands in when it is not).
  bool has(TextFace face) const {
    return (face == TextFace::kJapanese ? japanese_ : latin_) != nullptr;
  }
  // White text with its coverage as alpha; newlines start new lines. False
  // for empty text or a failure.
  bool render(const char* utf8, TextFace face, Image& out) const;
  // The size of the picture render makes.
  TextSize size(const char* utf8, TextFace face) const;

 private:
  Fonts() = default;
  // The face itself, else the other one; null when neither is open.
  void* face_of(TextFace face) const;
  void* other_than(void* face) const;

  void* latin_ = nullptr;  // TTF_Font, kept out of this header
  void* japanese_ = nullptr;
};

}  // namespace quarvex
