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

void tell_page_cannot_host(Shell& shell) {
  shell.show_message(Message{N_("A browser page cannot host a game: host it in quarvex on a "
                                "desktop, or with quarvex-server."),
                             {}});
}

}  // namespace quarvex
