// quarvex-serve: serves the built page over HTTP, as a game server serves it
// beside its games: each file in the compressed form the browser takes
// (made at build time), with its type and revalidation.
//
//   quarvex-serve [--address ADDR] [--port N] DIR...
//
// The first DIR holding a requested file answers, so a folder of one's own
// (a stage in the making, a replay) can be served beside the page and named
// in its query string. Port 0 takes a free port; the line printed at start
// names the address served. One thread, as many connections as browsers open.

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "web_serve/static_http.h"

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

// A connection that sends nothing for this long is closed.
constexpr auto kIdleTime = std::chrono::seconds(30);
// A slow link still gets the whole of a large file: the time an answer may
// take grows with its size, at the rate of the slowest link served.
constexpr uint64_t kSlowestBytesPerSecond = 16 * 1024;
// A page's requests carry no body; headers beyond this are no browser's.
constexpr size_t kMaxRequestBytes = 16 * 1024;

class Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(tcp::socket socket, const quarvex::StaticFolders& site)
      : stream_(std::move(socket)), site_(site) {}

  void read() {
    parser_.emplace();
    parser_->header_limit(kMaxRequestBytes);
    parser_->body_limit(kMaxRequestBytes);
    stream_.expires_after(kIdleTime);
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code ec, size_t) {
                       if (!ec) self->answer(self->parser_->release());
                     });
  }

 private:
  void answer(const http::request<http::string_body>& request) {
    response_ = quarvex::respond_static(site_, request);
    std::visit(
        [this](auto& response) {
          const bool keep_alive = response.keep_alive();
          const uint64_t bytes = response.payload_size().value_or(0);
          stream_.expires_after(kIdleTime + std::chrono::seconds(bytes / kSlowestBytesPerSecond));
          http::async_write(stream_, response,
                            [self = shared_from_this(), keep_alive](beast::error_code ec, size_t) {
                              if (!ec && keep_alive) self->read();
                            });
        },
        response_);
  }

  beast::tcp_stream stream_;
  const quarvex::StaticFolders& site_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  quarvex::StaticResponse response_;
};

void accept(tcp::acceptor& acceptor, const quarvex::StaticFolders& site) {
  acceptor.async_accept([&acceptor, &site](beast::error_code ec, tcp::socket socket) {
    if (!ec) std::make_shared<Connection>(std::move(socket), site)->read();
    if (acceptor.is_open()) accept(acceptor, site);
  });
}

int usage() {
  std::fprintf(stderr, "usage: quarvex-serve [--address ADDR] [--port N] DIR...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string address = "127.0.0.1";
  int port = 8080;
  std::vector<std::filesystem::path> folders;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--address" || arg == "--port") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (arg == "--address") {
        address = value;
        continue;
      }
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
      if (ec != std::errc() || end != value.data() + value.size() || port < 0 || port > 65535) {
        std::fprintf(stderr, "quarvex-serve: --port: '%s' is not a port number\n", value.c_str());
        return 2;
      }
    } else if (arg.starts_with("--")) {
      return usage();
    } else {
      folders.emplace_back(arg);
    }
  }
  if (folders.empty()) return usage();
  quarvex::StaticFolders site;
  std::string error;
  if (!quarvex::open_static_folders(folders, site, error)) {
    std::fprintf(stderr, "quarvex-serve: %s\n", error.c_str());
    return 1;
  }

  asio::io_context io;
  tcp::acceptor acceptor(io);
  beast::error_code ec;
  const tcp::endpoint endpoint(asio::ip::make_address(address, ec), static_cast<uint16_t>(port));
  if (ec) {
    std::fprintf(stderr, "quarvex-serve: --address: '%s' is not an address\n", address.c_str());
    return 2;
  }
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    std::fprintf(stderr, "quarvex-serve: cannot listen on %s port %d (%s)\n", address.c_str(), port,
                 ec.message().c_str());
    return 1;
  }
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&io](beast::error_code, int) { io.stop(); });
  accept(acceptor, site);
  const auto served = acceptor.local_endpoint();
  const bool v6 = served.address().is_v6();
  std::printf("quarvex-serve: http://%s%s%s:%u/\n", v6 ? "[" : "",
              served.address().to_string().c_str(), v6 ? "]" : "", served.port());
  std::fflush(stdout);
  io.run();
  return 0;
}
