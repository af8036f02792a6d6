#include "web/late_files.h"

#include <emscripten/wget.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "platform/system.h"

namespace quarvex {

namespace {

struct Fetch {
  LateState state = LateState::kFetching;
  int handle = 0;
  int32_t started_ms = 0;
  std::string error;
};

// By path, for as long as the page lives: map nodes stay put, so each
// callback's argument stays valid, and at most a few dozen files come late.
std::map<std::string, Fetch>& fetches() {
  static std::map<std::string, Fetch> all;
  return all;
}

std::map<std::string, Fetch>::value_type& entry_of(void* arg) {
  return *static_cast<std::map<std::string, Fetch>::value_type*>(arg);
}

void arrived(unsigned, void* arg, void* data, unsigned size) {
  auto& [path, fetch] = entry_of(arg);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  file.close();
  if (!file) {
    fetch.state = LateState::kFailed;
    fetch.error = "cannot keep it in the page's files";
    return;
  }
  fetch.state = LateState::kHere;
}

void failed(unsigned, void* arg, int status, const char* status_text) {
  Fetch& fetch = entry_of(arg).second;
  fetch.state = LateState::kFailed;
  fetch.error = status == 0 ? std::string("the server cannot be reached")
                            : "HTTP " + std::to_string(status) +
                                  (status_text != nullptr && *status_text != '\0'
                                       ? " " + std::string(status_text)
                                       : std::string());
}

}  // namespace

void fetch_late(const std::string& url, const std::string& path) {
  auto [at, added] = fetches().try_emplace(path);
  Fetch& fetch = at->second;
  if (!added && fetch.state != LateState::kFailed) return;
  if (added && std::filesystem::exists(path)) {
    fetch.state = LateState::kHere;
    return;
  }
  fetch = Fetch{LateState::kFetching, 0, clock_ms(), {}};
  fetch.handle =
      emscripten_async_wget2_data(url.c_str(), "GET", "", &*at, 1, arrived, failed, nullptr);
}

LateState late_state(const std::string& path, int32_t now_ms) {
  const auto at = fetches().find(path);
  if (at == fetches().end()) {
    return std::filesystem::exists(path) ? LateState::kHere : LateState::kFailed;
  }
  Fetch& fetch = at->second;
  // Differences, not comparisons, so the clock's wrap does no harm.
  const auto waited =
      static_cast<int32_t>(static_cast<uint32_t>(now_ms) - static_cast<uint32_t>(fetch.started_ms));
  if (fetch.state == LateState::kFetching && waited > kLateFetchLimitMs) {
    emscripten_async_wget2_abort(fetch.handle);
    fetch.state = LateState::kFailed;
    fetch.error = "no answer in " + std::to_string(kLateFetchLimitMs / 1000) + " seconds";
  }
  return fetch.state;
}

std::string late_error(const std::string& path) {
  const auto at = fetches().find(path);
  return at == fetches().end() ? std::string("not found") : at->second.error;
}

}  // namespace quarvex
