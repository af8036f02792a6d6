#include "platform/ws_server.h"

#include <algorithm>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <chrono>
#include <optional>
#include <unordered_map>
#include <variant>
#include <vector>

#include "web_serve/static_http.h"

namespace quarvex {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
namespace http = beast::http;
using tcp = asio::ip::tcp;

namespace {

int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A WebSocket close reason may hold 123 bytes.
std::string close_text(std::string_view why) {
  return std::string(why.substr(0, std::min<size_t>(why.size(), 123)));
}

// What the server asks of a connection, whatever its stream.
class Session {
 public:
  virtual ~Session() = default;
  virtual bool queue(std::span<const uint8_t> bytes) = 0;
  virtual void close_after_flush(std::string_view why) = 0;
  // Closes at once, without a word (the server stops and has said so).
  virtual void drop() = 0;
};

// A connection whose first request has not yet asked for a WebSocket: it
// may fetch the page's files until it does, or until it goes quiet.
class Front {
 public:
  virtual ~Front() = default;
  virtual void drop() = 0;
};

}  // namespace

struct WsServer::Impl : net::ServerLink {
  explicit Impl(net::ServerCore& c) : core(c), acceptor(io), timer(io), periodic(io), signals(io) {}

  bool send(net::ConnectionId id, std::span<const uint8_t> bytes) override {
    const auto it = sessions.find(id);
    return it != sessions.end() && it->second->queue(bytes);
  }
  void close(net::ConnectionId id, std::string_view why) override {
    const auto it = sessions.find(id);
    if (it != sessions.end()) it->second->close_after_flush(why);
  }

  void accept();
  template <class Stream>
  void start_session(Stream&& ws, const std::string& address);
  template <class Stream>
  void start_front(Stream&& stream, const std::string& address);
  void schedule_tick();
  void ended(net::ConnectionId id, bool tell_core) {
    sessions.erase(id);
    if (tell_core) core.closed(id, now_ms());
    // Stopping: the last close ends run() without waiting out the grace.
    if (stopping && sessions.empty()) timer.cancel();
  }

  net::ServerCore& core;
  // Connections not yet WebSockets, dropped when the server stops so that
  // a browser's idle keep-alive does not hold run() open. Declared before
  // the io_context: a handler it destroys may still end a connection.
  std::unordered_map<uint64_t, std::weak_ptr<Front>> fronts;
  uint64_t next_front = 1;
  // Handshakes under way (and connections fetching the page), which the
  // core does not see yet: bounded so a flood of half-open connections
  // cannot take the memory.
  size_t handshakes = 0;
  // The built page, when --web named one.
  std::optional<StaticFolders> site;
  asio::io_context io{1};
  tcp::acceptor acceptor;
  std::unique_ptr<asio::ssl::context> tls;
  asio::steady_timer timer;
  asio::steady_timer periodic;
  asio::signal_set signals;
  WsServerOptions options;
  std::unordered_map<net::ConnectionId, std::shared_ptr<Session>> sessions;
  net::ConnectionId next_id = 1;
  int64_t timer_at = INT64_MAX;
  bool stopping = false;
  uint64_t sent = 0;
  uint64_t received = 0;
  int32_t every_ms = 0;
  std::function<void()> every_what;
};

namespace {

template <class Stream>
class WsSession : public Session, public std::enable_shared_from_this<WsSession<Stream>> {
 public:
  WsSession(WsServer::Impl& server, net::ConnectionId id, Stream&& ws)
      : server_(server), id_(id), ws_(std::move(ws)) {
    ws_.binary(true);
    ws_.read_message_max(
        static_cast<size_t>(std::max(server_.core.settings().max_message_bytes, 1)));
  }

  void start() { read(); }

  bool queue(std::span<const uint8_t> bytes) override {
    if (closing_) return true;
    if (pending_.size() + writing_.size() + bytes.size() > server_.options.max_queued_bytes) {
      return false;
    }
    // Messages queued while a write is under way go out together in the
    // next WebSocket message: the protocol allows several back to back.
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    if (!writing_now_) write();
    return true;
  }

  void close_after_flush(std::string_view why) override {
    if (closing_) return;
    closing_ = true;
    close_reason_ = close_text(why);
    if (!writing_now_ && pending_.empty()) close_now();
  }

  void drop() override {
    beast::error_code ec;
    beast::get_lowest_layer(ws_).socket().close(ec);
  }

 private:
  void read() {
    ws_.async_read(buffer_, [self = this->shared_from_this()](beast::error_code ec, size_t n) {
      self->on_read(ec, n);
    });
  }

  void on_read(beast::error_code ec, size_t n) {
    if (ec) {
      if (ec == websocket::error::message_too_big && !closing_) {
        // The stream has already sent its close (1009, too big); the core
        // forgets the connection and tries to say why.
        server_.core.too_large(id_, now_ms(), server_);
        return;
      }
      finish(!closing_);
      return;
    }
    server_.received += n;
    const auto data = buffer_.cdata();
    server_.core.received(id_, {static_cast<const uint8_t*>(data.data()), data.size()}, now_ms(),
                          server_);
    buffer_.consume(buffer_.size());
    server_.schedule_tick();
    if (!closing_) read();
  }

  void write() {
    writing_.swap(pending_);
    pending_.clear();
    writing_now_ = true;
    ws_.async_write(asio::buffer(writing_),
                    [self = this->shared_from_this()](beast::error_code ec, size_t n) {
                      self->on_write(ec, n);
                    });
  }

  void on_write(beast::error_code ec, size_t n) {
    writing_now_ = false;
    if (ec) {
      finish(!closing_);
      return;
    }
    server_.sent += n;
    if (!pending_.empty()) {
      write();
    } else if (closing_) {
      close_now();
    }
  }

  void close_now() {
    const auto code =
        close_reason_.empty() ? websocket::close_code::normal : websocket::close_code::policy_error;
    ws_.async_close(websocket::close_reason(code, close_reason_),
                    [self = this->shared_from_this()](beast::error_code) { self->finish(false); });
  }

  // The connection is over. `tell_core`: the core did not end it itself.
  void finish(bool tell_core) {
    if (finished_) return;
    finished_ = true;
    beast::error_code ec;
    beast::get_lowest_layer(ws_).socket().close(ec);
    server_.ended(id_, tell_core);
  }

  WsServer::Impl& server_;
  net::ConnectionId id_;
  Stream ws_;
  beast::flat_buffer buffer_;
  std::vector<uint8_t> pending_;
  std::vector<uint8_t> writing_;
  bool writing_now_ = false;
  bool closing_ = false;
  bool finished_ = false;
  std::string close_reason_;
};

template <class Stream>
void set_server_options(Stream& ws, int32_t handshake_ms) {
  websocket::stream_base::timeout timeout{};
  timeout.handshake_timeout = std::chrono::milliseconds(handshake_ms);
  // Silence is the server's own affair (15 s), not the transport's.
  timeout.idle_timeout = websocket::stream_base::none();
  timeout.keep_alive_pings = false;
  ws.set_option(timeout);
  ws.set_option(websocket::stream_base::decorator([](websocket::response_type& res) {
    res.set(beast::http::field::server, "quarvex-server");
  }));
}

// A page's requests carry no body; headers beyond this are no browser's.
constexpr size_t kMaxRequestBytes = 16 * 1024;
// A slow link still gets the whole of a large file: the time an answer may
// take grows with its size, at the rate of the slowest link served.
constexpr uint64_t kSlowestBytesPerSecond = 16 * 1024;

http::response<http::string_body> upgrade_required(
    const http::request<http::string_body>& request) {
  http::response<http::string_body> response{http::status::upgrade_required, request.version()};
  response.set(http::field::server, "quarvex-server");
  response.set(http::field::upgrade, "websocket");
  response.set(http::field::connection, "Upgrade, close");
  response.set(http::field::content_type, "text/plain; charset=utf-8");
  if (request.method() != http::verb::head) {
    response.body() = "This is a quarvex game server: the game connects to it (ws://).\n";
  }
  response.prepare_payload();
  response.keep_alive(false);
  return response;
}

// Reads HTTP requests on a fresh connection: a WebSocket upgrade becomes a
// game session, anything else is answered from the built page (or refused)
// and the connection reads the next request. It holds one handshake slot
// for as long as it lives.
template <class Stream>
class HttpFront : public Front, public std::enable_shared_from_this<HttpFront<Stream>> {
 public:
  HttpFront(WsServer::Impl& server, Stream&& stream, std::string address)
      : server_(server), stream_(std::move(stream)), address_(std::move(address)) {}
  ~HttpFront() override {
    --server_.handshakes;
    server_.fronts.erase(key_);
  }

  void start(uint64_t key) {
    key_ = key;
    read();
  }

  void drop() override {
    beast::error_code ec;
    beast::get_lowest_layer(stream_).socket().close(ec);
  }

 private:
  void read() {
    parser_.emplace();
    parser_->header_limit(kMaxRequestBytes);
    parser_->body_limit(kMaxRequestBytes);
    beast::get_lowest_layer(stream_).expires_after(
        std::chrono::milliseconds(server_.options.handshake_ms));
    http::async_read(stream_, buffer_, *parser_,
                     [self = this->shared_from_this()](beast::error_code ec, size_t) {
                       if (!ec && !self->server_.stopping) self->on_request();
                     });
  }

  void on_request() {
    http::request<http::string_body> request = parser_->release();
    if (websocket::is_upgrade(request)) {
      upgrade(std::move(request));
      return;
    }
    if (server_.site) {
      response_ = respond_static(*server_.site, request);
    } else {
      response_ = upgrade_required(request);
    }
    std::visit(
        [this](auto& response) {
          const bool keep_alive = response.keep_alive();
          const uint64_t bytes = response.payload_size().value_or(0);
          beast::get_lowest_layer(stream_).expires_after(
              std::chrono::milliseconds(server_.options.handshake_ms) +
              std::chrono::seconds(bytes / kSlowestBytesPerSecond));
          http::async_write(
              stream_, response,
              [self = this->shared_from_this(), keep_alive](beast::error_code ec, size_t) {
                if (ec || self->server_.stopping) return;
                if (keep_alive) {
                  self->read();
                } else {
                  self->close();
                }
              });
        },
        response_);
  }

  void close() {
    beast::error_code ec;
    beast::get_lowest_layer(stream_).socket().shutdown(tcp::socket::shutdown_send, ec);
  }

  void upgrade(http::request<http::string_body> request) {
    // The stream moves into the WebSocket, whose own handshake timeout
    // ends it: the front has nothing left to drop.
    server_.fronts.erase(key_);
    beast::get_lowest_layer(stream_).expires_never();
    auto ws = std::make_shared<websocket::stream<Stream>>(std::move(stream_));
    set_server_options(*ws, server_.options.handshake_ms);
    // The front (and its handshake slot) lives until the handshake ends.
    ws->async_accept(request, [self = this->shared_from_this(), ws](beast::error_code ec) {
      if (!ec && !self->server_.stopping) {
        self->server_.start_session(std::move(*ws), self->address_);
      }
    });
  }

  WsServer::Impl& server_;
  Stream stream_;
  std::string address_;
  uint64_t key_ = 0;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  StaticResponse response_;
};
}  // namespace

template <class Stream>
void WsServer::Impl::start_session(Stream&& ws, const std::string& address) {
  const net::ConnectionId id = next_id++;
  auto session = std::make_shared<WsSession<Stream>>(*this, id, std::move(ws));
  sessions.emplace(id, session);
  if (!core.opened(id, address, now_ms(), *this)) return;
  session->start();
  schedule_tick();
}

template <class Stream>
void WsServer::Impl::start_front(Stream&& stream, const std::string& address) {
  auto front = std::make_shared<HttpFront<Stream>>(*this, std::move(stream), address);
  const uint64_t key = next_front++;
  fronts.emplace(key, front);
  front->start(key);
}

void WsServer::Impl::accept() {
  acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
    if (stopping) return;
    if (ec) {
      accept();
      return;
    }
    constexpr size_t kMaxHandshakes = 128;
    if (handshakes >= kMaxHandshakes) {
      // Refused before any byte is read: the pending handshakes take time
      // and memory, and nobody legitimate opens this many at once.
      beast::error_code ignored;
      socket.close(ignored);
      accept();
      return;
    }
    beast::error_code address_ec;
    const std::string address = socket.remote_endpoint(address_ec).address().to_string();
    // Every message is small and wanted at once: no waiting to fill a
    // segment (Nagle's rule with delayed acknowledgements holds a frame for
    // tens of milliseconds).
    socket.set_option(tcp::no_delay(true), address_ec);
    ++handshakes;
    if (tls) {
      auto stream = std::make_shared<beast::ssl_stream<beast::tcp_stream>>(
          beast::tcp_stream(std::move(socket)), *tls);
      beast::get_lowest_layer(*stream).expires_after(
          std::chrono::milliseconds(options.handshake_ms));
      stream->async_handshake(asio::ssl::stream_base::server,
                              [this, stream, address](beast::error_code ec) {
                                if (ec || stopping) {
                                  --handshakes;
                                  return;
                                }
                                start_front(std::move(*stream), address);
                              });
    } else {
      start_front(beast::tcp_stream(std::move(socket)), address);
    }
    accept();
  });
}

void WsServer::Impl::schedule_tick() {
  if (stopping) return;
  const int64_t now = now_ms();
  const int64_t at = core.next_tick_ms(now);
  if (at >= timer_at) return;
  timer_at = at;
  timer.expires_after(std::chrono::milliseconds(std::max<int64_t>(at - now, 0)));
  timer.async_wait([this](beast::error_code ec) {
    if (ec) return;  // moved earlier, or the server stops
    timer_at = INT64_MAX;
    core.tick(now_ms(), *this);
    schedule_tick();
  });
}

WsServer::WsServer(net::ServerCore& core) : impl_(std::make_unique<Impl>(core)) {}
WsServer::~WsServer() = default;

bool WsServer::listen(const WsServerOptions& options, std::string& error) {
  Impl& s = *impl_;
  s.options = options;
  beast::error_code ec;
  if (!options.tls_cert.empty() || !options.tls_key.empty()) {
    s.tls = std::make_unique<asio::ssl::context>(asio::ssl::context::tls_server);
    s.tls->set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                       asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                       asio::ssl::context::no_tlsv1_1 | asio::ssl::context::single_dh_use);
    s.tls->use_certificate_chain_file(options.tls_cert, ec);
    if (ec) {
      error = "--tls-cert: cannot use '" + options.tls_cert + "': " + ec.message();
      return false;
    }
    s.tls->use_private_key_file(options.tls_key, asio::ssl::context::pem, ec);
    if (ec) {
      error = "--tls-key: cannot use '" + options.tls_key + "': " + ec.message();
      return false;
    }
  }
  if (!options.web.empty()) {
    StaticFolders folders;
    if (!open_static_folders(options.web, folders, error)) {
      error = "--web: " + error;
      return false;
    }
    s.site = std::move(folders);
  }
  const auto address = asio::ip::make_address(options.address, ec);
  if (ec) {
    error = "--listen: '" + options.address + "' is not an IP address";
    return false;
  }
  const tcp::endpoint endpoint(address, options.port);
  s.acceptor.open(endpoint.protocol(), ec);
  if (!ec) s.acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) s.acceptor.bind(endpoint, ec);
  if (!ec) s.acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error = "--listen: cannot listen on " + options.address + ":" + std::to_string(options.port) +
            ": " + ec.message();
    return false;
  }
  return true;
}

uint16_t WsServer::port() const {
  beast::error_code ec;
  return impl_->acceptor.local_endpoint(ec).port();
}

void WsServer::every(int32_t ms, std::function<void()> what) {
  impl_->every_ms = ms;
  impl_->every_what = std::move(what);
}

void WsServer::run() {
  Impl& s = *impl_;
  s.accept();
  s.schedule_tick();
  if (s.every_ms > 0) {
    std::function<void()> arm;
    arm = [&s, &arm] {
      s.periodic.expires_after(std::chrono::milliseconds(s.every_ms));
      s.periodic.async_wait([&s, &arm](beast::error_code ec) {
        if (ec || s.stopping) return;
        s.every_what();
        arm();
      });
    };
    arm();
    s.io.run();
    return;
  }
  s.io.run();
}

void WsServer::stop_on_signals() {
  Impl& s = *impl_;
  s.signals.add(SIGINT);
  s.signals.add(SIGTERM);
  s.signals.async_wait([this](beast::error_code ec, int) {
    if (!ec) stop();
  });
}

void WsServer::stop() {
  Impl& s = *impl_;
  asio::post(s.io, [&s] {
    if (s.stopping) return;
    s.stopping = true;
    beast::error_code ec;
    s.acceptor.close(ec);
    s.timer.cancel();
    s.periodic.cancel();
    s.signals.cancel();
    // A page's connections have nothing to say goodbye to.
    auto fronts = s.fronts;
    for (auto& [key, weak] : fronts) {
      if (auto front = weak.lock()) front->drop();
    }
    // The core says goodbye to everyone and asks for the closes, which
    // flush what is queued; a client that does not answer its close is cut
    // off by the grace timer.
    s.core.stop(s);
    if (s.sessions.empty()) return;
    s.timer.expires_after(std::chrono::seconds(2));
    s.timer.async_wait([&s](beast::error_code) {
      auto sessions = s.sessions;
      for (auto& [id, session] : sessions) session->drop();
    });
  });
}

uint64_t WsServer::bytes_sent() const {
  return impl_->sent;
}
uint64_t WsServer::bytes_received() const {
  return impl_->received;
}

}  // namespace quarvex
