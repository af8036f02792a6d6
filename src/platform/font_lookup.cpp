// Where the Japanese face is: fontconfig knows on the desktop; the browser
// page preloads its own.

#include "platform/font.h"

#ifdef __EMSCRIPTEN__

namespace quarvex {

// IPAGothic cut down to the game's characters (web/font_subset.py).
std::string find_japanese_font() {
  return "/font/ipag-game.ttf";
}

}  // namespace quarvex

#else

#include <fontconfig/fontconfig.h>

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

std::string font_for_japanese(FcConfig* config) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(":lang=ja"));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pattern, &result);
  std::string path;
  if (match != nullptr) {
    // The best match may still lack Japanese; only a face that has it will do.
    FcLangSet* langs = nullptr;
    if (FcPatternGetLangSet(match, FC_LANG, 0, &langs) == FcResultMatch &&
        FcLangSetHasLang(langs, reinterpret_cast<const FcChar8*>("ja")) != FcLangDifferentLang) {
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
  if (path.empty()) path = font_for_japanese(config);
  FcConfigDestroy(config);
  return path;
}

}  // namespace quarvex

#endif
