// Where the faces are: fontconfig knows on the desktop; the browser page
// preloads its own, cut down to the characters of the game's catalogues.

#include "platform/font.h"

#ifdef __EMSCRIPTEN__

namespace quarvex {

// IPAGothic and DejaVu Sans cut down and renamed (web/font_subset.py).
std::string find_japanese_font() {
  return "/font/quarvex-gothic.ttf";
}

std::string find_latin_font() {
  return "/font/quarvex-sans.ttf";
}

}  // namespace quarvex

#else

#include <fontconfig/fontconfig.h>

#include <string>

namespace quarvex {

namespace {

std::string matching_file(FcPattern* pattern) {
  std::string path;
  FcChar8* file = nullptr;
  if (FcPatternGetString(pattern, FC_FILE, 0, &file) == FcResultMatch) {
    path = reinterpret_cast<const char*>(file);
  }
  return path;
}

// The exact family, not fontconfig's nearest substitute.
std::string font_of_family(FcConfig* config, const char* family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* fonts = FcFontList(config, pattern, objects);
  std::string path;
  if (fonts != nullptr && fonts->nfont > 0) path = matching_file(fonts->fonts[0]);
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcPatternDestroy(pattern);
  return path;
}

// The upright, regular face of a family (DejaVu Sans has a dozen faces).
std::string regular_face_of_family(FcConfig* config, const char* family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddInteger(pattern, FC_WIDTH, FC_WIDTH_NORMAL);
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  std::string path;
  if (match != nullptr) {
    // Only the family itself, not fontconfig's nearest substitute.
    FcChar8* found = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch &&
        std::string(reinterpret_cast<const char*>(found)) == family) {
      path = matching_file(match);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

std::string font_for_language(FcConfig* config, const char* language) {
  const std::string name = std::string(":lang=") + language;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str()));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  std::string path;
  if (match != nullptr) {
    // The best match may still lack Japanese; only a face that has it will do.
    FcLangSet* langs = nullptr;
    if (FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch &&
        FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>(language)) !=
            FcLangDifferentLang) {
      path = matching_file(match);
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

}  // namespace

std::string find_japanese_font() {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return {};
  std::string path = font_of_family(config, "IPAGothic");
  if (path.empty()) path = font_for_language(config, "ja");
  FcConfigDestroy(config);
  return path;
}

std::string find_latin_font() {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return {};
  std::string path = regular_face_of_family(config, "DejaVu Sans");
  if (path.empty()) path = font_for_language(config, "en");
  FcConfigDestroy(config);
  return path;
}

}  // namespace quarvex

#endif
