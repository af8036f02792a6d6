#pragma once
// The server's transport: WebSocket over TCP, or over TLS (wss://), with
// Boost.Beast on one thread. It accepts connections (a plain HTTP request
// on the same port gets the built page, or a refusal), hands every message
// to the server's logic (net::ServerCore) and carries out what the logic
// sends and closes; the logic's clock ticks on the same thread. The
// standalone server runs it on its main thread, a game that hosts on a
// thread of its own.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/server_core.h"

namespace quarvex {

struct WsServerOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 7480;  // 0: any free port (see WsServer::port)
  std::string tls_cert;  // PEM files; both given: wss:// only
  std::string tls_key;
  // What one connection may have waiting to be sent before it counts as too
  // slow for the game (a spectator on a poor link, a client that stopped
  // reading).
  size_t max_queued_bytes = 4 << 20;
  // A WebSocket handshake (and TLS's) must finish within this, and so must
  // each plain HTTP request.
  int32_t handshake_ms = 10000;
  // The built page, answered to plain HTTP GET and HEAD requests on the same
  // port (checked by open_static_folders before listen). Empty: such a
  // request gets a short 426 and is closed; the games never notice.
  std::vector<std::filesystem::path> web;
};

class WsServer {
 public:
  explicit WsServer(net::ServerCore& core);
  ~WsServer();
  WsServer(const WsServer&) = delete;
  WsServer& operator=(const WsServer&) = delete;

  // Reads the certificate and key, binds and listens. False with a message
  // when it cannot (address in use, bad certificate, ...).
  bool listen(const WsServerOptions& options, std::string& error);
  // The port listened on (the one chosen when 0 was asked for).
  uint16_t port() const;
  // Calls `what` every `ms` milliseconds on the server's thread while it
  // runs (the statistics line).
  void every(int32_t ms, std::function<void()> what);
  // SIGINT and SIGTERM stop the server (for the standalone program).
  void stop_on_signals();
  // Serves until stop() is called; returns after every connection closed.
  void run();
  // From any thread (or a signal handler's flag watcher): tells every
  // client the server stops, closes them, and ends run().
  void stop();

  // Bytes of WebSocket messages sent and received, headers not counted.
  uint64_t bytes_sent() const;
  uint64_t bytes_received() const;

  struct Impl;  // defined and used only in ws_server.cpp

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace quarvex
