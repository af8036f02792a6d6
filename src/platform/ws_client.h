#pragma once
// The desktop's connection to a game server: WebSocket over TCP or TLS with
// Boost.Beast, on a thread of its own, so the frame loop only ever takes
// queued events and never waits on the network. wss:// checks the
// server's certificate against the system's authorities (OpenSSL's
// defaults, which SSL_CERT_FILE and SSL_CERT_DIR can point elsewhere).

#include <memory>

#include "net/client_transport.h"

namespace quarvex {

class WsClient : public net::ClientTransport {
 public:
  WsClient();
  ~WsClient() override;
  WsClient(const WsClient&) = delete;
  WsClient& operator=(const WsClient&) = delete;

  bool open(const std::string& url, std::string& error) override;
  void send(std::span<const uint8_t> bytes) override;
  void close() override;
  bool next_event(net::LinkEvent& event, int32_t timeout_ms) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quarvex
