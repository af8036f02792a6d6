#include "app/windowed_play_together.h"

#include "lang/texts.h"

namespace quarvex {

std::string request_address(const NetworkRequest& request) {
  if (request.kind != NetworkRequest::kHost) return request.url;
  std::string address = request.listen_address;
  // An IPv6 address takes brackets before its port.
  if (address.find(':') != std::string::npos) address = "[" + address + "]";
  address += ':';
  address += std::to_string(request.port);
  return address;
}

// The window does not run a networked game yet; the request is told, never
// dropped in silence, and the headless game's --connect and quarvex-server play one.
void start_network_game(const NetworkRequest& request, Shell& shell) {
  const char* text =
      request.kind == NetworkRequest::kHost
          ? N_("Hosting a game on {address}...\nThis window cannot host a networked game yet; "
               "quarvex-server hosts one without a window.")
          : N_("Connecting to {address}...\nThis window cannot play a networked game yet; "
               "quarvex --connect plays one without a window.");
  shell.show_message(Message{text, {{"address", request_address(request)}}});
}

}  // namespace quarvex
