#include "platform/system.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "platform/gl_device.h"
#include "platform/window.h"

namespace quarvex {

namespace {

struct KeyAlias {
  SDL_Scancode scancode;
  Key key;
};

// Keypad first, then the laptop aliases.
constexpr KeyAlias kKeyMap[] = {
    {SDL_SCANCODE_KP_8, kKeyUp},      {SDL_SCANCODE_KP_5, kKeyDown},
    {SDL_SCANCODE_KP_4, kKeyLeft},    {SDL_SCANCODE_KP_6, kKeyRight},
    {SDL_SCANCODE_KP_7, kKeyMark},    {SDL_SCANCODE_KP_9, kKeyAux},
    {SDL_SCANCODE_SPACE, kKeySelect}, {SDL_SCANCODE_KP_0, kKeyInfo},
    {SDL_SCANCODE_KP_1, kKeyZoomIn},  {SDL_SCANCODE_KP_3, kKeyZoomOut},
    {SDL_SCANCODE_TAB, kKeyFast},     {SDL_SCANCODE_8, kKeyUp},
    {SDL_SCANCODE_5, kKeyDown},       {SDL_SCANCODE_4, kKeyLeft},
    {SDL_SCANCODE_6, kKeyRight},      {SDL_SCANCODE_7, kKeyMark},
    {SDL_SCANCODE_9, kKeyAux},        {SDL_SCANCODE_0, kKeyInfo},
    {SDL_SCANCODE_1, kKeyZoomIn},     {SDL_SCANCODE_3, kKeyZoomOut},
    {SDL_SCANCODE_UP, kKeyUp},        {SDL_SCANCODE_DOWN, kKeyDown},
    {SDL_SCANCODE_LEFT, kKeyLeft},    {SDL_SCANCODE_RIGHT, kKeyRight},
};

constexpr uint32_t kPanelColour = 0xFF303848u;
constexpr uint32_t kPanelBorderColour = 0xFFC8C8C8u;

ScreenVertex corner(float x, float y, uint32_t colour) {
  return ScreenVertex{x, y, 0.0f, 1.0f, colour, 0.0f, 0.0f};
}

void draw_box(GlDevice& device, float x0, float y0, float x1, float y1, uint32_t colour) {
  device.draw_screen_quad(-1, {{corner(x0, y0, colour), corner(x0, y1, colour),
                                corner(x1, y1, colour), corner(x1, y0, colour)}});
}

bool closes_box(const SDL_Event& e) {
  if (e.type == SDL_MOUSEBUTTONUP) return true;
  if (e.type != SDL_KEYDOWN) return false;
  const SDL_Scancode s = e.key.keysym.scancode;
  return s == SDL_SCANCODE_SPACE || s == SDL_SCANCODE_RETURN || s == SDL_SCANCODE_KP_ENTER;
}

// The box drawn in the game window over the last picture.
bool show_box_in_window(GlDevice& device, const char* text) {
  for (;;) {
    draw_box(device, 118.0f, 138.0f, 522.0f, 342.0f, kPanelBorderColour);
    draw_box(device, 120.0f, 140.0f, 520.0f, 340.0f, kPanelColour);
    device.draw_text(text, TextRect{140, 160, 500, 300}, TextAlign::kLeft, 0xFFFFFFFFu);
    draw_box(device, 280.0f, 300.0f, 360.0f, 330.0f, kPanelBorderColour);
    device.draw_text("OK", TextRect{0, 304, 333, 330}, TextAlign::kRight, 0xFF202020u);
    device.show_picture();
    SDL_Event e;
    // Waits without spinning; redraws now and then in case the window was uncovered.
    if (SDL_WaitEventTimeout(&e, 250) == 0) continue;
    do {
      if (e.type == SDL_QUIT) return false;
      if (closes_box(e)) return true;
    } while (SDL_PollEvent(&e) != 0);
  }
}

bool names_utf8(const char* locale) {
  const std::string_view name = locale == nullptr ? "" : locale;
  return name.find("UTF-8") != name.npos || name.find("utf8") != name.npos ||
         name.find("UTF8") != name.npos || name.find("utf-8") != name.npos;
}

// SDL's X11 message box takes its character set from the locale in the
// environment; without UTF-8 the Japanese text would not show.
void ensure_utf8_locale() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value == nullptr || value[0] == '\0') continue;
    if (names_utf8(value)) return;
    break;
  }
  setenv("LC_ALL", "C.UTF-8", 1);
}

}  // namespace

bool start_video(std::string& error) {
  ensure_utf8_locale();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return false;
  }
  return true;
}

void stop_video() {
  SDL_Quit();
}

int32_t clock_ms() {
  return static_cast<int32_t>(SDL_GetTicks());
}

void sleep_ms(int32_t ms) {
  if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
}

void nap() {
  std::this_thread::sleep_for(std::chrono::microseconds(100));
}

void poll_window_events(WindowEvents& events) {
  SDL_Event e;
  while (SDL_PollEvent(&e) != 0) {
    if (e.type == SDL_QUIT) events.quit = true;
    if (e.type != SDL_KEYDOWN || e.key.repeat != 0) continue;
    const SDL_Scancode s = e.key.keysym.scancode;
    const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
    if (s == SDL_SCANCODE_F11 || (alt && s == SDL_SCANCODE_RETURN)) events.toggle_fullscreen = true;
    if (s == SDL_SCANCODE_F12) events.screenshot = true;
    if (s == SDL_SCANCODE_M) events.mute_presses += 1;
    if (s == SDL_SCANCODE_EQUALS || s == SDL_SCANCODE_KP_PLUS) events.volume_steps += 1;
    if (s == SDL_SCANCODE_MINUS || s == SDL_SCANCODE_KP_MINUS) events.volume_steps -= 1;
  }
}

void game_keys_from_state(const uint8_t* state, int count, std::array<bool, kKeyCount>& down) {
  down.fill(false);
  for (const KeyAlias& alias : kKeyMap) {
    if (alias.scancode < count && state[alias.scancode] != 0) down[alias.key] = true;
  }
}

void sample_game_keys(std::array<bool, kKeyCount>& down) {
  int count = 0;
  const uint8_t* state = SDL_GetKeyboardState(&count);
  game_keys_from_state(state, count, down);
}

bool show_message_box(Window* window, GlDevice* device, const char* caption, const char* text) {
  SDL_Window* owner = window != nullptr ? window->handle() : nullptr;
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, owner) == 0) {
    // Whatever the player pressed to close the box stays with the box.
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEBUTTONUP);
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_QUIT, SDL_QUIT) <= 0;
  }
  if (device != nullptr && device->has_font()) return show_box_in_window(*device, text);
  std::fprintf(stderr, "quarvex: %s\n", text);
  return true;
}

}  // namespace quarvex
