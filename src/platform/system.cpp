#include "platform/system.h"

#include <SDL.h>

#include <signal.h>
#include <chrono>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace quarvex {

namespace {

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

// Closing the terminal the game was started from (SIGHUP) ends it as
// SIGTERM does: SDL turns SIGTERM into a quit event, so the game ends its
// recordings and saves what it keeps. raise() is safe in a handler.
void hang_up_as_terminate(int) {
  std::raise(SIGTERM);
}

}  // namespace

bool start_video(std::string& error) {
  ensure_utf8_locale();
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = SDL_GetError();
    return false;
  }
  // A SIGHUP ignored by whoever started the game (nohup) stays ignored.
  struct sigaction old {};
  if (sigaction(SIGHUP, nullptr, &old) == 0 && old.sa_handler != SIG_IGN) {
    std::signal(SIGHUP, hang_up_as_terminate);
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

std::vector<std::string> preferred_languages() {
  std::vector<std::string> languages;
  SDL_Locale* locales = SDL_GetPreferredLocales();
  if (locales == nullptr) return languages;
  for (const SDL_Locale* l = locales; l->language != nullptr; ++l) {
    std::string code = l->language;
    if (l->country != nullptr) code += std::string("_") + l->country;
    languages.push_back(code);
  }
  SDL_free(locales);
  return languages;
}

void show_message_box(const char* caption, const char* text) {
  // The system's box holds the process until it is closed; Ctrl+C and
  // SIGTERM must still end the program at once.
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGHUP, SIG_DFL);
  if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr) != 0) {
    std::fprintf(stderr, "quarvex: %s\n", text);
  }
}

}  // namespace quarvex
