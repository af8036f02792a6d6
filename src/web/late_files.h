#pragma once
// The page starts with what its first screen draws; the rest comes from
// beside the page while it runs (a stage's ground when the stage wants it,
// the sounds after the first frame). Each file is fetched once into the
// page's file system, where the game then reads it as it reads any other.
// The simulation never waits on one: only pictures and sounds come late.

#include <cstdint>
#include <string>

namespace quarvex {

enum class LateState : uint8_t { kFetching, kHere, kFailed };

// A fetch that has not finished after this long is given up.
inline constexpr int32_t kLateFetchLimitMs = 30000;

// Starts fetching `url` (relative to the page) into `path` unless the file
// is there or on its way; a fetch that failed is tried again.
void fetch_late(const std::string& url, const std::string& path);

// Where the fetch into `path` stands at `now_ms`; one running past
// kLateFetchLimitMs is stopped and failed. A path never fetched is kHere
// when the file exists, else kFailed.
LateState late_state(const std::string& path, int32_t now_ms);

// Why the fetch into `path` failed ("HTTP 404 Not Found", "no answer in 30
// seconds"), in English.
std::string late_error(const std::string& path);

}  // namespace quarvex
