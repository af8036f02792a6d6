#include "platform/font.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <cstring>

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

std::unique_ptr<Font> Font::open(const std::string& path, int height, std::string& error) {
  if (TTF_WasInit() == 0 && TTF_Init() != 0) {
    error = TTF_GetError();
    return nullptr;
  }
  // A cell height of 20 pixels, as a Windows font height of 20 gives.
  TTF_Font* face = TTF_OpenFont(path.c_str(), height);
  if (face == nullptr) {
    error = TTF_GetError();
    TTF_Quit();
    return nullptr;
  }
  return std::unique_ptr<Font>(new Font(face));
}

Font::~Font() {
  TTF_CloseFont(static_cast<TTF_Font*>(face_));
  TTF_Quit();
}

bool Font::render(const char* utf8, Image& out) const {
  if (utf8 == nullptr || utf8[0] == '\0') return false;
  const SDL_Color white{255, 255, 255, 255};
  SDL_Surface* text = TTF_RenderUTF8_Blended_Wrapped(static_cast<TTF_Font*>(face_), utf8, white, 0);
  if (text == nullptr) return false;
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

}  // namespace quarvex
