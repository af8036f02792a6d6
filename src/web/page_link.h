#pragma once
// The page's connection to a game server: the browser's WebSocket, binary
// messages. The browser calls back between animation frames; what happened
// is queued for the game to take at its next step, as the desktop's
// transport queues what its thread heard. A page served over https can only
// reach wss://, so a ws:// address is taken as wss:// there.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "net/client_transport.h"

namespace quarvex {

class PageLink : public net::ClientTransport {
 public:
  PageLink() = default;
  ~PageLink() override;
  PageLink(const PageLink&) = delete;
  PageLink& operator=(const PageLink&) = delete;

  bool open(const std::string& url, std::string& error) override;
  void send(std::span<const uint8_t> bytes) override;
  void close() override;
  // Never waits (a page cannot): only looks.
  bool next_event(net::LinkEvent& event, int32_t timeout_ms) override;

  // Called after each message is queued (the page's hidden tab runs its
  // passes from here).
  void on_message(std::function<void()> heard) { heard_ = std::move(heard); }

  // The browser's callbacks.
  void opened();
  void message(const uint8_t* bytes, uint32_t size, bool text);
  void closed(uint16_t code, const char* reason);

 private:
  void post_closed(std::string reason);

  std::function<void()> heard_;
  int socket_ = 0;  // the browser's handle; 0 when none
  std::deque<net::LinkEvent> events_;
  bool open_ = false;
  bool closed_posted_ = false;
};

// The address to connect to from a page loaded with `page_protocol`
// ("https:" or "http:"): wss:// in place of ws:// on an https page.
std::string page_reachable_url(const std::string& url, const std::string& page_protocol);

}  // namespace quarvex
