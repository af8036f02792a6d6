#pragma once
// A TCP relay that stands for a slow, uneven network (the test machines'
// kernels have no netem): it listens on 127.0.0.1, connects each client on
// to the real server, and holds every chunk it forwards for a seeded random
// time, in each direction on its own, keeping each stream's order as TCP
// does.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace quarvex::testing {

class DelayRelay {
 public:
  // Each way: `one_way_ms` ± `jitter_ms`, uniformly.
  DelayRelay(uint16_t server_port, int one_way_ms, int jitter_ms, uint32_t seed)
      : server_port_(server_port), one_way_ms_(one_way_ms), jitter_ms_(jitter_ms), random_(seed) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 16);
    socklen_t size = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
  }
  ~DelayRelay() {
    stop_ = true;
    thread_.join();
    for (auto& link : links_) {
      close(link->client);
      close(link->server);
    }
    close(listener_);
  }
  DelayRelay(const DelayRelay&) = delete;
  DelayRelay& operator=(const DelayRelay&) = delete;

  uint16_t port() const { return port_; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Chunk {
    Clock::time_point due;
    std::vector<char> bytes;  // empty: the other end closed
  };
  struct Way {
    std::deque<Chunk> chunks;
    Clock::time_point last_due{};
    bool closed = false;
  };
  struct Link {
    int client;
    int server;
    Way up;    // client to server
    Way down;  // server to client
  };

  static sockaddr_in loopback(uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
  }

  void accept_one() {
    const int client = accept(listener_, nullptr, nullptr);
    if (client < 0) return;
    const int server = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(server_port_);
    if (connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(client);
      close(server);
      return;
    }
    const int one = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    links_.push_back(std::make_unique<Link>(Link{client, server, {}, {}}));
  }

  // Reads what arrived on `from` and holds it on `way`.
  void take(int from, Way& way) {
    char buffer[65536];
    const ssize_t n = recv(from, buffer, sizeof buffer, 0);
    const auto jitter = std::chrono::milliseconds(
        static_cast<int>(random_() % static_cast<uint32_t>(2 * jitter_ms_ + 1)) - jitter_ms_);
    const auto due =
        std::max(way.last_due, Clock::now() + std::chrono::milliseconds(one_way_ms_) + jitter);
    way.last_due = due;
    if (n <= 0) {
      way.closed = true;
      way.chunks.push_back(Chunk{due, {}});
    } else {
      way.chunks.push_back(Chunk{due, std::vector<char>(buffer, buffer + n)});
    }
  }

  // Sends what is due on `way` to `to`.
  static void give(Way& way, int to) {
    while (!way.chunks.empty() && way.chunks.front().due <= Clock::now()) {
      const Chunk& chunk = way.chunks.front();
      if (chunk.bytes.empty()) {
        shutdown(to, SHUT_WR);
      } else {
        size_t sent = 0;
        while (sent < chunk.bytes.size()) {
          const ssize_t n =
              send(to, chunk.bytes.data() + sent, chunk.bytes.size() - sent, MSG_NOSIGNAL);
          if (n <= 0) break;
          sent += static_cast<size_t>(n);
        }
      }
      way.chunks.pop_front();
    }
  }

  void run() {
    while (!stop_) {
      std::vector<pollfd> fds{{listener_, POLLIN, 0}};
      for (const auto& link : links_) {
        fds.push_back({link->client, static_cast<short>(link->up.closed ? 0 : POLLIN), 0});
        fds.push_back({link->server, static_cast<short>(link->down.closed ? 0 : POLLIN), 0});
      }
      poll(fds.data(), fds.size(), 1);
      if (fds[0].revents & POLLIN) accept_one();
      for (size_t i = 0; i + 1 < fds.size() && i / 2 < links_.size(); i += 2) {
        Link& link = *links_[i / 2];
        if (!link.up.closed && (fds[i + 1].revents & (POLLIN | POLLHUP))) {
          take(link.client, link.up);
        }
        if (!link.down.closed && (fds[i + 2].revents & (POLLIN | POLLHUP))) {
          take(link.server, link.down);
        }
      }
      for (const auto& link : links_) {
        give(link->up, link->server);
        give(link->down, link->client);
      }
    }
  }

  uint16_t server_port_;
  int one_way_ms_;
  int jitter_ms_;
  std::mt19937 random_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::vector<std::unique_ptr<Link>> links_;
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

}  // namespace quarvex::testing
