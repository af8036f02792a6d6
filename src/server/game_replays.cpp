#include "server/game_replays.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/lockstep_game.h"

namespace quarvex {

namespace {

namespace fs = std::filesystem;

std::string code_text(const net::JoinCode& code) {
  return std::string(code.begin(), code.end());
}

// The Game names its recording by the client's option; the server's log
// has no such option.
std::string without_option(std::string error) {
  constexpr std::string_view kOption = "--record: ";
  if (error.starts_with(kOption)) error.erase(0, kOption.size());
  return error;
}

// A game the server runs with its replay open: the server's World is the
// one every client must match, so each check is written as soon as it is
// due, not held for an agreement.
class RecordedGame : public LockstepGame {
 public:
  RecordedGame(const Options& outputs, std::string code)
      : LockstepGame(outputs), code_(std::move(code)), file_(outputs.record_file) {}
  ~RecordedGame() override {
    report_write_error();
    finish(true);
    // A game nobody started leaves nothing worth replaying.
    std::error_code ec;
    if (!file_.empty() && game().frames_run() == 0) fs::remove(file_, ec);
  }

  void run_frame(const FrameInput& input) override {
    LockstepGame::run_frame(input);
    hashes_agreed(static_cast<uint32_t>(game().frames_run()));
    report_write_error();
  }

 private:
  void report_write_error() {
    const std::string error = without_option(take_record_error());
    if (error.empty()) return;
    std::fprintf(stderr, "quarvex-server: game %s: the replay stops here: %s\n", code_.c_str(),
                 error.c_str());
  }

  std::string code_;
  std::string file_;
};

}  // namespace

std::string game_replay_name(std::time_t created, const net::JoinCode& code, int copy) {
  std::tm utc{};
  gmtime_r(&created, &utc);
  char when[32];
  std::strftime(when, sizeof when, "%Y%m%d-%H%M%S", &utc);
  std::string name = when;
  name += '-';
  name += code_text(code);
  if (copy > 1) {
    name += '_';
    name += std::to_string(copy);
  }
  name += ".qvr";
  return name;
}

bool check_replay_folder(const std::string& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder, ec)) {
    error = "--replays: cannot make the folder '" + folder + "'";
    if (ec) error += ": " + ec.message();
    return false;
  }
  const fs::path probe = fs::path(folder) / ".quarvex-server-probe";
  std::FILE* file = std::fopen(probe.c_str(), "wx");
  if (file == nullptr && errno == EEXIST) {
    // Left by a server that stopped between making and removing it.
    fs::remove(probe, ec);
    file = std::fopen(probe.c_str(), "wx");
  }
  if (file == nullptr) {
    error = "--replays: cannot write in '" + folder + "': " + std::strerror(errno);
    return false;
  }
  std::fclose(file);
  fs::remove(probe, ec);
  return true;
}

std::unique_ptr<net::Simulation> GameReplays::start(const net::GameSetup& setup,
                                                    const net::JoinCode& code) {
  Options outputs;
  outputs.data_dir = data_dir_;
  const std::time_t now = std::time(nullptr);
  std::error_code ec;
  for (int copy = 1; copy < 100; ++copy) {
    const fs::path path = fs::path(folder_) / game_replay_name(now, code, copy);
    if (!fs::exists(path, ec)) {
      outputs.record_file = path.string();
      break;
    }
  }
  auto game = std::make_unique<RecordedGame>(outputs, code_text(code));
  std::string error;
  if (!outputs.record_file.empty() && game->begin(setup, -1, error)) return game;
  std::fprintf(
      stderr, "quarvex-server: game %s: no replay is kept: %s\n", code_text(code).c_str(),
      error.empty() ? "too many replays of this code this second" : without_option(error).c_str());
  outputs.record_file.clear();
  game = std::make_unique<RecordedGame>(outputs, code_text(code));
  // Without outputs nothing can fail.
  if (!game->begin(setup, -1, error)) return nullptr;
  return game;
}

}  // namespace quarvex
