#include "platform/font.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstring>

namespace quarvex {

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
