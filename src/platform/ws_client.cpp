#include "platform/ws_client.h"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "net/codec.h"

namespace quarvex {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using tcp = asio::ip::tcp;

namespace {

// A server that does not answer within this is not there.
constexpr auto kConnectTimeout = std::chrono::seconds(10);
// The largest message a server may send: a snapshot of the World is some
// tens of kilobytes.
constexpr size_t kMaxMessage = 16 << 20;
// What queued during a write goes out together, but in WebSocket messages of
// at most this many bytes (whole protocol messages): the smallest limit a
// server may set on one. After a stall a client sends the inputs of many
// frames at once, and a server cuts a connection whose message is too large.
constexpr size_t kMostSentAtOnce = 128;

}  // namespace

struct WsClient::Impl {
  Impl() : work(asio::make_work_guard(io)), resolver(io) {}

  void post_event(net::LinkEvent event) {
    {
      std::lock_guard lock(mutex);
      if (closed_posted) return;
      if (event.kind == net::LinkEvent::Kind::kClosed) closed_posted = true;
      events.push_back(std::move(event));
    }
    ready.notify_one();
  }
  void fail(const std::string& what, const beast::error_code& ec) {
    post_event({net::LinkEvent::Kind::kClosed, {}, what + ": " + ec.message()});
  }

  // The rest runs on the transport's thread.
  template <class Stream>
  void connected(Stream& ws);
  template <class Stream>
  void read(Stream& ws);
  template <class Stream>
  void write(Stream& ws);
  void flush();
  void close_now();

  asio::io_context io{1};
  asio::executor_work_guard<asio::io_context::executor_type> work;
  tcp::resolver resolver;
  asio::ssl::context tls{asio::ssl::context::tls_client};
  std::unique_ptr<websocket::stream<beast::tcp_stream>> plain;
  std::unique_ptr<websocket::stream<beast::ssl_stream<beast::tcp_stream>>> secure;
  net::ServerUrl url;
  beast::flat_buffer buffer;
  std::vector<uint8_t> pending;
  std::vector<uint8_t> writing;
  bool open = false;
  bool writing_now = false;
  bool closing = false;
  std::thread thread;

  std::mutex mutex;
  std::condition_variable ready;
  std::deque<net::LinkEvent> events;
  bool closed_posted = false;
  std::vector<uint8_t> outbox;  // sent by the game, not yet taken
  bool flush_posted = false;
};

template <class Stream>
void WsClient::Impl::connected(Stream& ws) {
  beast::get_lowest_layer(ws).expires_never();
  ws.binary(true);
  ws.read_message_max(kMaxMessage);
  websocket::stream_base::timeout timeout{};
  timeout.handshake_timeout = kConnectTimeout;
  timeout.idle_timeout = websocket::stream_base::none();
  timeout.keep_alive_pings = false;
  ws.set_option(timeout);
  ws.set_option(websocket::stream_base::decorator(
      [](websocket::request_type& req) { req.set(beast::http::field::user_agent, "quarvex"); }));
  const std::string host = url.host + ":" + std::to_string(url.port);
  ws.async_handshake(host, url.path, [this, &ws](beast::error_code ec) {
    if (ec) return fail("the server refused the connection", ec);
    open = true;
    post_event({net::LinkEvent::Kind::kOpened, {}, {}});
    if (!pending.empty()) write(ws);
    if (closing) close_now();
    read(ws);
  });
}

template <class Stream>
void WsClient::Impl::read(Stream& ws) {
  ws.async_read(buffer, [this, &ws](beast::error_code ec, size_t) {
    if (ec) {
      if (ec == websocket::error::closed) {
        const auto& reason = ws.reason();
        post_event({net::LinkEvent::Kind::kClosed, {}, std::string(reason.reason.c_str())});
      } else {
        fail("the connection to the server broke", ec);
      }
      return;
    }
    const auto data = buffer.cdata();
    const auto* bytes = static_cast<const uint8_t*>(data.data());
    post_event({net::LinkEvent::Kind::kMessage, {bytes, bytes + data.size()}, {}});
    buffer.consume(buffer.size());
    read(ws);
  });
}

template <class Stream>
void WsClient::Impl::write(Stream& ws) {
  const size_t batch = net::whole_messages_within(pending, kMostSentAtOnce);
  writing.assign(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(batch));
  pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(batch));
  writing_now = true;
  ws.async_write(asio::buffer(writing), [this, &ws](beast::error_code ec, size_t) {
    writing_now = false;
    if (ec) return fail("the connection to the server broke", ec);
    if (!pending.empty()) {
      write(ws);
    } else if (closing) {
      close_now();
    }
  });
}

void WsClient::Impl::flush() {
  {
    std::lock_guard lock(mutex);
    pending.insert(pending.end(), outbox.begin(), outbox.end());
    outbox.clear();
    flush_posted = false;
  }
  if (!open || writing_now || closing) return;
  if (secure) {
    write(*secure);
  } else if (plain) {
    write(*plain);
  }
}

void WsClient::Impl::close_now() {
  if (!open || writing_now || !pending.empty()) return;
  open = false;
  const auto done = [this](beast::error_code) {
    post_event({net::LinkEvent::Kind::kClosed, {}, "closed"});
  };
  if (secure) {
    secure->async_close(websocket::close_code::normal, done);
  } else if (plain) {
    plain->async_close(websocket::close_code::normal, done);
  }
}

WsClient::WsClient() : impl_(std::make_unique<Impl>()) {}

WsClient::~WsClient() {
  impl_->work.reset();
  impl_->io.stop();
  if (impl_->thread.joinable()) impl_->thread.join();
}

bool WsClient::open(const std::string& url, std::string& error) {
  Impl& c = *impl_;
  if (!net::parse_server_url(url, c.url, error)) return false;
  if (c.url.tls) {
    c.tls.set_default_verify_paths();
    c.tls.set_verify_mode(asio::ssl::verify_peer);
  }
  c.resolver.async_resolve(
      c.url.host, std::to_string(c.url.port),
      [&c](beast::error_code ec, const tcp::resolver::results_type& found) {
        if (ec) return c.fail("cannot find " + c.url.host, ec);
        const auto reached = [&c](beast::error_code ec, const tcp::endpoint&) {
          if (ec) return c.fail("cannot reach " + c.url.host, ec);
          // Small messages wanted at once: no Nagle.
          beast::error_code ignored;
          if (c.secure) {
            beast::get_lowest_layer(*c.secure).socket().set_option(tcp::no_delay(true), ignored);
          } else {
            beast::get_lowest_layer(*c.plain).socket().set_option(tcp::no_delay(true), ignored);
          }
          if (!c.secure) return c.connected(*c.plain);
          auto& tls = c.secure->next_layer();
          // The host's name, for servers with several certificates and for
          // checking the one presented.
          SSL_set_tlsext_host_name(tls.native_handle(), c.url.host.c_str());
          tls.set_verify_callback(asio::ssl::host_name_verification(c.url.host));
          tls.async_handshake(asio::ssl::stream_base::client, [&c](beast::error_code ec) {
            if (ec) return c.fail("no secure connection to " + c.url.host, ec);
            c.connected(*c.secure);
          });
        };
        if (c.url.tls) {
          c.secure = std::make_unique<websocket::stream<beast::ssl_stream<beast::tcp_stream>>>(
              c.io, c.tls);
          beast::get_lowest_layer(*c.secure).expires_after(kConnectTimeout);
          beast::get_lowest_layer(*c.secure).async_connect(found, reached);
        } else {
          c.plain = std::make_unique<websocket::stream<beast::tcp_stream>>(c.io);
          beast::get_lowest_layer(*c.plain).expires_after(kConnectTimeout);
          beast::get_lowest_layer(*c.plain).async_connect(found, reached);
        }
      });
  c.thread = std::thread([&c] { c.io.run(); });
  return true;
}

void WsClient::send(std::span<const uint8_t> bytes) {
  // Gathered under the lock into a buffer that keeps its capacity; the
  // transport's thread takes the lot at once.
  Impl& c = *impl_;
  std::lock_guard lock(c.mutex);
  c.outbox.insert(c.outbox.end(), bytes.begin(), bytes.end());
  if (c.flush_posted) return;
  c.flush_posted = true;
  asio::post(c.io, [&c] { c.flush(); });
}

void WsClient::close() {
  asio::post(impl_->io, [c = impl_.get()] {
    c->closing = true;
    c->close_now();
  });
}

bool WsClient::next_event(net::LinkEvent& event, int32_t timeout_ms) {
  Impl& c = *impl_;
  std::unique_lock lock(c.mutex);
  if (c.events.empty() && timeout_ms > 0) {
    c.ready.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                     [&c] { return !c.events.empty(); });
  }
  if (c.events.empty()) return false;
  event = std::move(c.events.front());
  c.events.pop_front();
  return true;
}

}  // namespace quarvex
