#include "server/server_run.h"

#include <sys/resource.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "replay/recording.h"
#include "server/game_replays.h"
#include "server/server_host.h"
#include "web_serve/static_files.h"

namespace quarvex {

namespace {

std::string code_text(const net::JoinCode& code) {
  return std::string(code.begin(), code.end());
}

class Log : public net::ServerObserver {
 public:
  void game_created(const net::JoinCode& code) override {
    std::printf("game %s: created\n", code_text(code).c_str());
    std::fflush(stdout);
  }
  void game_closed(const net::JoinCode& code, uint32_t frame, uint64_t hash, bool ended) override {
    std::printf("game %s: %s at frame %" PRIu32 ", hash: %s\n", code_text(code).c_str(),
                ended ? "ended" : "closed, nobody left in it", frame, hash_text(hash).c_str());
    std::fflush(stdout);
  }
};

double cpu_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double wall_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// One line of the server's figures since the last line.
class Figures {
 public:
  Figures(net::ServerCore& core, WsServer& server) : core_(core), server_(server) { mark(); }

  void print() {
    const double wall = wall_seconds() - wall_;
    const double cpu = cpu_seconds() - cpu_;
    const net::ServerStats& stats = core_.stats();
    const net::Lateness& late = stats.lateness;
    std::printf("stats: games %zu, clients %zu, frames %" PRIu64 ", frame lateness p50 %" PRId64
                " ms p99 %" PRId64 " ms max %" PRId64
                " ms, in %.0f B/s, out %.0f B/s, cpu %.1f %%, "
                "faults %" PRIu64 ", desyncs %" PRIu64 "\n",
                core_.games(), core_.clients(), stats.frames_closed - frames_, late.percentile(50),
                late.percentile(99), late.max(),
                static_cast<double>(server_.bytes_received() - in_) / wall,
                static_cast<double>(server_.bytes_sent() - out_) / wall, 100.0 * cpu / wall,
                stats.faults, stats.desyncs);
    std::fflush(stdout);
    mark();
    core_.stats().lateness.reset();
  }

 private:
  void mark() {
    wall_ = wall_seconds();
    cpu_ = cpu_seconds();
    in_ = server_.bytes_received();
    out_ = server_.bytes_sent();
    frames_ = core_.stats().frames_closed;
  }

  net::ServerCore& core_;
  WsServer& server_;
  double wall_ = 0;
  double cpu_ = 0;
  uint64_t in_ = 0;
  uint64_t out_ = 0;
  uint64_t frames_ = 0;
};

// The folders named on the command line, checked before anything listens.
bool check_folders(const ServerOptions& options, std::string& error) {
  if (!options.listen.web.empty()) {
    StaticFolders site;
    if (!open_static_folders(options.listen.web, site, error)) {
      error = "--web: " + error;
      return false;
    }
    const std::filesystem::path index = site.roots.front() / "index.html";
    std::FILE* file = std::fopen(index.c_str(), "rb");
    if (file == nullptr) {
      error = "--web: cannot read '" + index.string() +
              "': not a built page (scripts/web.sh builds one)";
      return false;
    }
    std::fclose(file);
  }
  return options.replays_dir.empty() || check_replay_folder(options.replays_dir, error);
}

}  // namespace

int run_server(const ServerOptions& options) {
  std::string error;
  if (!check_folders(options, error)) {
    std::fprintf(stderr, "quarvex-server: %s\n", error.c_str());
    return 2;
  }
  ServerHost host(options.settings, options.data_dir, options.replays_dir, options.simulate);
  net::ServerCore& core = host.core();
  Log log;
  core.observe(&log);
  WsServer& server = host.transport();
  if (!server.listen(options.listen, error)) {
    std::fprintf(stderr, "quarvex-server: %s\n", error.c_str());
    return 1;
  }
  Figures figures(core, server);
  if (options.stats_seconds > 0) {
    server.every(options.stats_seconds * 1000, [&figures] { figures.print(); });
  }
  server.stop_on_signals();
  const bool ipv6 = options.listen.address.find(':') != std::string::npos;
  std::printf("quarvex-server %s: listening on %s://%s%s%s:%u, a frame every %d ms, %s\n",
              QUARVEX_VERSION, options.listen.tls_cert.empty() ? "ws" : "wss", ipv6 ? "[" : "",
              options.listen.address.c_str(), ipv6 ? "]" : "", server.port(),
              options.settings.room.frame_ms,
              options.simulate ? "simulating every game" : "not simulating");
  if (!options.listen.web.empty()) {
    std::printf("quarvex-server: the page from %s at %s://%s%s%s:%u/\n",
                options.listen.web.front().c_str(),
                options.listen.tls_cert.empty() ? "http" : "https", ipv6 ? "[" : "",
                options.listen.address.c_str(), ipv6 ? "]" : "", server.port());
  }
  if (!options.replays_dir.empty()) {
    std::printf("quarvex-server: keeping replays in %s\n", options.replays_dir.c_str());
  }
  std::fflush(stdout);
  server.run();
  std::printf("quarvex-server: stopped\n");
  return 0;
}

}  // namespace quarvex
