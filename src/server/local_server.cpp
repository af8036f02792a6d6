#include "server/local_server.h"

#include "server/game_replays.h"
#include "server/server_host.h"

namespace quarvex {

LocalServer::LocalServer() = default;

LocalServer::~LocalServer() {
  stop();
}

bool LocalServer::start(const std::string& address, uint16_t port, const std::string& data_folder,
                        const std::string& replays_folder, std::string& error) {
  stop();
  if (!replays_folder.empty() && !check_replay_folder(replays_folder, error)) return false;
  auto host =
      std::make_unique<ServerHost>(net::ServerSettings{}, data_folder, replays_folder, true);
  WsServerOptions listen;
  listen.address = address;
  listen.port = port;
  if (!host->transport().listen(listen, error)) return false;
  address_ = address;
  port_ = host->transport().port();
  host_ = std::move(host);
  WsServer& transport = host_->transport();
  thread_ = std::thread([&transport] { transport.run(); });
  return true;
}

void LocalServer::stop() {
  if (host_ == nullptr) return;
  host_->transport().stop();
  if (thread_.joinable()) thread_.join();
  host_.reset();
  port_ = 0;
}

std::string LocalServer::url() const {
  std::string url = "ws://";
  const bool ipv6 = address_.find(':') != std::string::npos;
  if (ipv6) url += '[';
  url += address_;
  if (ipv6) url += ']';
  url += ':';
  url += std::to_string(port_);
  return url;
}

}  // namespace quarvex
