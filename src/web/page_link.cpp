#include "web/page_link.h"

#include <emscripten.h>
#include <emscripten/websocket.h>

#include <algorithm>

#include "net/codec.h"

namespace quarvex {

namespace {

// The largest message a server may send: a snapshot of the World is some
// tens of kilobytes.
constexpr uint32_t kMaxMessage = 16u << 20;
// What is sent at once goes in WebSocket messages of at most this many bytes
// (whole protocol messages): the smallest limit a server may set on one.
// After a stall (a hidden tab) the client sends the keys of many frames at once.
constexpr size_t kMostSentAtOnce = 128;

PageLink& link_of(void* user) {
  return *static_cast<PageLink*>(user);
}

EM_BOOL when_open(int, const EmscriptenWebSocketOpenEvent*, void* user) {
  link_of(user).opened();
  return EM_TRUE;
}
EM_BOOL when_message(int, const EmscriptenWebSocketMessageEvent* e, void* user) {
  link_of(user).message(e->data, e->numBytes, e->isText != 0);
  return EM_TRUE;
}
EM_BOOL when_closed(int, const EmscriptenWebSocketCloseEvent* e, void* user) {
  link_of(user).closed(e->code, e->reason);
  return EM_TRUE;
}

}  // namespace

std::string page_reachable_url(const std::string& url, const std::string& page_protocol) {
  if (page_protocol == "https:" && url.starts_with("ws://")) return "wss://" + url.substr(5);
  return url;
}

PageLink::~PageLink() {
  if (socket_ <= 0) return;
  // No callback may reach this link once it is gone.
  emscripten_websocket_set_onopen_callback(socket_, nullptr, nullptr);
  emscripten_websocket_set_onmessage_callback(socket_, nullptr, nullptr);
  emscripten_websocket_set_onclose_callback(socket_, nullptr, nullptr);
  if (!closed_posted_) emscripten_websocket_close(socket_, 1000, "");
  emscripten_websocket_delete(socket_);
}

bool PageLink::open(const std::string& url, std::string& error) {
  net::ServerUrl parts;
  if (!net::parse_server_url(url, parts, error)) return false;
  if (emscripten_websocket_is_supported() == 0) {
    error = "this browser has no WebSocket";
    return false;
  }
  const char* protocol = emscripten_run_script_string("location.protocol");
  const std::string reachable = page_reachable_url(url, protocol != nullptr ? protocol : "");
  EmscriptenWebSocketCreateAttributes attributes;
  emscripten_websocket_init_create_attributes(&attributes);
  attributes.url = reachable.c_str();
  attributes.protocols = nullptr;
  attributes.createOnMainThread = EM_TRUE;
  const EMSCRIPTEN_WEBSOCKET_T socket = emscripten_websocket_new(&attributes);
  if (socket <= 0) {
    error = "the browser refused the address " + reachable;
    return false;
  }
  socket_ = socket;
  emscripten_websocket_set_onopen_callback(socket_, this, when_open);
  emscripten_websocket_set_onmessage_callback(socket_, this, when_message);
  // An error is followed by the close, which says what the browser lets us know.
  emscripten_websocket_set_onclose_callback(socket_, this, when_closed);
  return true;
}

void PageLink::send(std::span<const uint8_t> bytes) {
  if (!open_ || closed_posted_) return;
  while (!bytes.empty()) {
    size_t part = net::whole_messages_within(bytes, kMostSentAtOnce);
    // A single message longer than the limit still goes, whole.
    if (part == 0) part = bytes.size();
    std::vector<uint8_t> copy(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(part));
    if (emscripten_websocket_send_binary(socket_, copy.data(), static_cast<uint32_t>(part)) !=
        EMSCRIPTEN_RESULT_SUCCESS) {
      post_closed("the browser could not send");
      return;
    }
    bytes = bytes.subspan(part);
  }
}

void PageLink::close() {
  if (socket_ <= 0 || closed_posted_) return;
  emscripten_websocket_close(socket_, 1000, "");
}

bool PageLink::next_event(net::LinkEvent& event, int32_t) {
  if (events_.empty()) return false;
  event = std::move(events_.front());
  events_.pop_front();
  return true;
}

void PageLink::opened() {
  if (closed_posted_) return;
  open_ = true;
  events_.push_back({net::LinkEvent::Kind::kOpened, {}, {}});
}

void PageLink::message(const uint8_t* bytes, uint32_t size, bool text) {
  if (closed_posted_) return;
  // The server only speaks in binary messages; anything else ends the game.
  if (text || size > kMaxMessage) {
    post_closed(text ? "the server sent text" : "the server sent too large a message");
    emscripten_websocket_close(socket_, 1009, "");
    return;
  }
  net::LinkEvent event{net::LinkEvent::Kind::kMessage, {}, {}};
  event.bytes.assign(bytes, bytes + size);
  events_.push_back(std::move(event));
  if (heard_) heard_();
}

void PageLink::closed(uint16_t code, const char* reason) {
  std::string why = reason != nullptr ? reason : "";
  if (why.empty()) {
    why = !open_ ? std::string("could not connect")
                 : "the connection closed (code " + std::to_string(code) + ")";
  }
  post_closed(std::move(why));
}

void PageLink::post_closed(std::string reason) {
  if (closed_posted_) return;
  closed_posted_ = true;
  open_ = false;
  events_.push_back({net::LinkEvent::Kind::kClosed, {}, std::move(reason)});
}

}  // namespace quarvex
