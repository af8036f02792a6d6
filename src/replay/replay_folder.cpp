#include "replay/replay_folder.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace quarvex {

namespace {

namespace fs = std::filesystem;

// Copies of one name tried before the folder counts as unwritable.
constexpr int kMaxCopies = 99;

// Takes `count` digits (0: one or more) from the front of `s`.
bool take_digits(std::string_view& s, size_t count) {
  size_t n = 0;
  while (n < s.size() && std::isdigit(static_cast<unsigned char>(s[n])) != 0) ++n;
  if (n == 0 || (count != 0 && n != count)) return false;
  s.remove_prefix(n);
  return true;
}

bool take(std::string_view& s, std::string_view word) {
  if (s.substr(0, word.size()) != word) return false;
  s.remove_prefix(word.size());
  return true;
}

}  // namespace

std::string default_replay_folder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  fs::path base;
  // A relative XDG_DATA_HOME is not valid and is passed over.
  if (data != nullptr && data[0] == '/') {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = fs::path(home) / ".local" / "share";
  } else {
    return {};
  }
  return (base / "quarvex" / "replays").string();
}

std::string replay_file_name(std::time_t now, int stage, int side, int copy) {
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  // Built by appending: g++ 12 at -O3 warns falsely about chains of operator+.
  std::string name = stamp;
  name.append("-map").append(std::to_string(stage));
  name.append("-side").append(std::to_string(side));
  // "_" sorts after ".", so a copy comes after the first of its second.
  if (copy > 1) name.append("_").append(std::to_string(copy));
  name.append(".qvr");
  return name;
}

bool is_replay_file_name(std::string_view name) {
  if (!take_digits(name, 8) || !take(name, "-") || !take_digits(name, 6) || !take(name, "-map") ||
      !take_digits(name, 0) || !take(name, "-side") || !take_digits(name, 0)) {
    return false;
  }
  if (take(name, "_") && !take_digits(name, 0)) return false;
  return name == ".qvr";
}

bool open_replay_file(Recording& recording, const std::string& folder, std::time_t now, int stage,
                      int side, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) {
    error = "cannot create the folder '" + folder + "': " + ec.message();
    return false;
  }
  for (int copy = 1; copy <= kMaxCopies; ++copy) {
    const std::string path = (fs::path(folder) / replay_file_name(now, stage, side, copy)).string();
    if (recording.open(path, true, error)) return true;
    if (errno != EEXIST) return false;
  }
  return false;
}

void prune_replays(const std::string& folder, int keep, const std::string& writing) {
  struct Kept {
    fs::file_time_type written;
    std::string name;
  };
  std::error_code ec;
  std::vector<Kept> replays;
  const std::string writing_name = fs::path(writing).filename().string();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code kind;
    if (!is_replay_file_name(name) || !it->is_regular_file(kind) || name == writing_name) continue;
    std::error_code time;
    const fs::file_time_type written = it->last_write_time(time);
    if (!time) replays.push_back({written, name});
  }
  // The file being written is the newest and always counts among those kept.
  const size_t others_kept = static_cast<size_t>(std::max(keep - (writing.empty() ? 0 : 1), 0));
  if (replays.size() <= others_kept) return;
  // Oldest first by the time each was last written: names follow the local
  // clock when the stage began, which a clock set back or a new time zone
  // puts out of order.
  std::sort(replays.begin(), replays.end(), [](const Kept& a, const Kept& b) {
    return a.written != b.written ? a.written < b.written : a.name < b.name;
  });
  const size_t surplus = replays.size() - others_kept;
  for (size_t i = 0; i < surplus; ++i) fs::remove(fs::path(folder) / replays[i].name, ec);
}

}  // namespace quarvex
