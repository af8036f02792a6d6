#include "app/windowed_play_together.h"

#include <algorithm>
#include <cctype>
#include <utility>

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

NetworkGameParams request_params(const NetworkRequest& request, const Options& options,
                                 std::string replay_folder) {
  NetworkGameParams p;
  p.url = request.url;
  const size_t letters = std::min(request.code.size(), net::kCodeLength);
  std::transform(request.code.begin(), request.code.begin() + static_cast<ptrdiff_t>(letters),
                 p.join.code.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
  const bool watch = request.kind == NetworkRequest::kWatch;
  p.join.role = watch ? net::Role::kSpectator : net::Role::kPlayer;
  p.join.side = watch ? 0 : net::kAnySide;
  p.join.version = QUARVEX_VERSION;
  p.join.name = request.name;
  p.frames = options.frames;
  p.print_hash = options.hash;
  p.outputs = options;
  p.replay_folder = std::move(replay_folder);
  return p;
}

void tell_request_unplayable(const NetworkRequest& request, Shell& shell) {
  const char* text =
      request.kind == NetworkRequest::kHost
          ? N_("Hosting a game on {address}...\nThis window cannot host a networked game yet; "
               "quarvex-server hosts one without a window.")
          : N_("Connecting to {address}...\nThis window cannot play a networked game yet; "
               "quarvex --connect plays one without a window.");
  shell.show_message(Message{text, {{"address", request_address(request)}}});
}

}  // namespace quarvex
