#include "platform/window.h"

#include <SDL.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <algorithm>
#include <cstdlib>

namespace quarvex {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

bool named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && value[0] != '\0';
}

SDL_Window* create_with_context(int profile, int major, int minor, int scale, bool fullscreen,
                                SDL_GLContext& context) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, profile);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, major);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, minor);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // At scale 1 the picture is drawn straight into the window, depth included.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
#ifdef __EMSCRIPTEN__
  // The page sizes the canvas in device pixels itself (Window::resize);
  // SDL's high-DPI mode would report the drawable in CSS pixels.
  Uint32 flags = SDL_WINDOW_OPENGL;
#else
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
#endif
  if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  SDL_Window* window = SDL_CreateWindow("quarvex", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                        kWidth * scale, kHeight * scale, flags);
  if (window == nullptr) return nullptr;
  context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    SDL_DestroyWindow(window);
    return nullptr;
  }
  return window;
}

}  // namespace

bool display_available(std::string& reason) {
  if (named("DISPLAY") || named("WAYLAND_DISPLAY") || named("SDL_VIDEODRIVER")) return true;
  reason = "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)";
  return false;
}

int default_scale() {
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
  // Leave room for the window's frame.
  return std::max(1, std::min((usable.w - 16) / kWidth, (usable.h - 64) / kHeight));
}

Viewport letterbox(int drawable_width, int drawable_height) {
  const int scale = std::min(drawable_width / kWidth, drawable_height / kHeight);
  int width = kWidth * scale;
  int height = kHeight * scale;
  if (scale < 1) {
    width = std::min(drawable_width, drawable_height * kWidth / kHeight);
    height = width * kHeight / kWidth;
  }
  return Viewport{(drawable_width - width) / 2, (drawable_height - height) / 2, width, height};
}

std::unique_ptr<Window> Window::open(int scale, bool fullscreen, std::string& error) {
  SDL_GLContext context = nullptr;
  bool gles = false;
#ifdef __EMSCRIPTEN__
  // A browser has WebGL 2 only, which is OpenGL ES 3.0.
  SDL_Window* window = nullptr;
#else
  SDL_Window* window =
      create_with_context(SDL_GL_CONTEXT_PROFILE_CORE, 3, 3, scale, fullscreen, context);
#endif
  if (window == nullptr) {
    gles = true;
    window = create_with_context(SDL_GL_CONTEXT_PROFILE_ES, 3, 0, scale, fullscreen, context);
  }
  if (window == nullptr) {
    error = SDL_GetError();
    return nullptr;
  }
  // Pacing is the frame loop's own; presenting does not wait for the display.
  SDL_GL_SetSwapInterval(0);
  return std::unique_ptr<Window>(new Window(window, context, gles));
}

Window::~Window() {
  SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
  SDL_DestroyWindow(window_);
}

void Window::drawable_size(int& width, int& height) const {
  SDL_GL_GetDrawableSize(window_, &width, &height);
}

void Window::picture_point(int window_x, int window_y, int& x, int& y) const {
  int window_width = 0;
  int window_height = 0;
  SDL_GetWindowSize(window_, &window_width, &window_height);
  int width = 0;
  int height = 0;
  drawable_size(width, height);
  // A high-density display has more drawable pixels than window points.
  const double px = window_width > 0 ? static_cast<double>(window_x) * width / window_width
                                     : static_cast<double>(window_x);
  const double py = window_height > 0 ? static_cast<double>(window_y) * height / window_height
                                      : static_cast<double>(window_y);
  const Viewport v = letterbox(width, height);
  x = v.width > 0 ? static_cast<int>((px - v.x) * kWidth / v.width) : 0;
  y = v.height > 0 ? static_cast<int>((py - v.y) * kHeight / v.height) : 0;
}

void Window::resize(int width, int height) {
  int now_width = 0;
  int now_height = 0;
  SDL_GetWindowSize(window_, &now_width, &now_height);
  if (now_width != width || now_height != height) SDL_SetWindowSize(window_, width, height);
}

void Window::toggle_fullscreen() {
#ifdef __EMSCRIPTEN__
  // The whole page goes full screen (web/page.js); the browser grants it
  // for a while after a key press, which is where this comes from.
  emscripten_run_script("quarvexToggleFullscreen()");
#else
  const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
#endif
}

void Window::swap() {
  SDL_GL_SwapWindow(window_);
}

}  // namespace quarvex
