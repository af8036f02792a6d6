#pragma once
// The game window and its OpenGL context. The 640x480 picture is shown
// scaled by a whole factor, letterboxed in full screen.

#include <memory>
#include <string>

struct SDL_Window;

namespace quarvex {

// False, with a one-line reason, when no display can be had: no X or Wayland
// display and no video driver named in SDL_VIDEODRIVER.
bool display_available(std::string& reason);

// The largest whole scale at which the picture fits the desktop, at least 1.
int default_scale();

// Where the picture lands in a drawable of the given size: the largest whole
// scale that fits (or a proportional fit when even 1 does not), centred.
struct Viewport {
  int x, y, width, height;
};
Viewport letterbox(int drawable_width, int drawable_height);

class Window {
 public:
  // Tries an OpenGL 3.3 core context, then OpenGL ES 3.0. Null on failure,
  // `error` says why. SDL's video must be initialised.
  static std::unique_ptr<Window> open(int scale, bool fullscreen, std::string& error);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  bool is_gles() const { return gles_; }
  SDL_Window* handle() const { return window_; }
  void drawable_size(int& width, int& height) const;
  // Gives the window this many pixels (the browser page fits its canvas to
  // the page this way).
  void resize(int width, int height);
  void toggle_fullscreen();
  // A point in window coordinates (as mouse events give them) in pixels of
  // the 640x480 picture; outside the letterboxed picture it lies beyond its
  // edges.
  void picture_point(int window_x, int window_y, int& x, int& y) const;
  void swap();

 private:
  Window(SDL_Window* window, void* context, bool gles)
      : window_(window), context_(context), gles_(gles) {}
  SDL_Window* window_;
  void* context_;
  bool gles_;
};

}  // namespace quarvex
