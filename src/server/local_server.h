#pragma once
// The game server inside the game that hosts: the same server as
// quarvex-server (simulating every game), listening on the address the
// player confirmed and serving on a thread of its own until the host
// leaves or the window closes.

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace quarvex {

class ServerHost;

class LocalServer {
 public:
  LocalServer();
  ~LocalServer();  // stops it
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // Listens on `address`:`port` (0: any free port) and starts serving.
  // False with one line saying why (a port in use, a replays folder that
  // cannot be written); nothing runs then. An empty `replays_folder` keeps
  // no replays at the server.
  bool start(const std::string& address, uint16_t port, const std::string& data_folder,
             const std::string& replays_folder, std::string& error);
  // Tells every client the server stops and waits for its thread.
  void stop();
  // ws://ADDRESS:PORT, the address the host's own client connects to.
  std::string url() const;
  bool running() const { return host_ != nullptr; }
  uint16_t port() const { return port_; }

 private:
  std::unique_ptr<ServerHost> host_;
  std::thread thread_;
  std::string address_;
  uint16_t port_ = 0;
};

}  // namespace quarvex
