// The windowed game on the desktop: a loop around WindowedHost::step, or
// a networked game (--connect) in the window.

#include <cstdio>
#include <optional>
#include <string>

#include "app/drivers.h"
#include "app/windowed_host.h"
#include "app/windowed_hosting.h"
#include "app/windowed_network.h"
#include "app/windowed_play_together.h"
#include "app/windowed_session.h"
#include "platform/system.h"
#include "platform/window.h"
#include "platform/ws_client.h"
#include "shell/lan_addresses.h"

namespace quarvex {

namespace {

// A game the Play together pages asked for, in this window.
NetworkResult play_requested_game(const NetworkRequest& request, const Options& options,
                                  WindowedSession& session) {
  if (request.kind == NetworkRequest::kHost) return host_network_game(request, options, session);
  WsClient link;
  return play_network_game(request_params(request, options, session.replay_folder), session, link);
}

}  // namespace

int run_windowed(const Options& options) {
  std::string reason;
  if (!display_available(reason)) {
    std::fprintf(stderr, "quarvex: %s; run with --headless to play without a window\n",
                 reason.c_str());
    return 1;
  }
  if (!start_video(reason)) {
    std::fprintf(stderr,
                 "quarvex: cannot open the display (%s); run with --headless to play "
                 "without a window\n",
                 reason.c_str());
    return 1;
  }
  int status = 0;
  {
    WindowedSession session;
    status = open_windowed(options, session);
    if (status == 0 && !options.connect.empty()) {
      // Started from the command line: the program ends with the game.
      WsClient link;
      status =
          play_network_game(network_params(options, session.replay_folder), session, link).status;
    } else if (status == 0) {
      Game& game = session.game;
      WindowedHost host(game.options(), *session.window, *session.device, session.input,
                        *session.shell, session.audio.get());
      if (!game.options().edit_file.empty()) host.open_editor(game, game.options().edit_file);
      std::optional<int> network_status;
      while (host.step(game)) {
        const auto request = host.take_network_request();
        if (!request) continue;
        const NetworkResult result = play_requested_game(*request, game.options(), session);
        session.shell->set_play_mode(PlayMode::kPlay);
        // A frame limit on the command line ends the program with the
        // networked game it counted, as with --connect: scripts read its
        // hash and its status.
        if (game.options().frames) {
          network_status = result.status;
          break;
        }
        if (result.end == NetworkEnd::kQuit) break;
        // Afterwards the Play together page is back, for the next game.
        session.shell->open_play_together(lan_addresses());
      }
      const int title_status = game.finish(!network_status);
      status = network_status.value_or(title_status);
    }
    close_windowed(session);
  }
  stop_video();
  return status;
}

}  // namespace quarvex
