#include "app/windowed_network.h"

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
// dropped in silence, and the headless game's --connect plays one.
void start_network_game(const NetworkRequest& request, Shell& shell) {
  shell.show_message(Message{N_("Connecting to {address}...\nThis window cannot play a networked "
                                "game yet; quarvex --connect plays one without a window."),
                             {{"address", request_address(request)}}});
}

}  // namespace quarvex
