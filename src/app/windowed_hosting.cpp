#include "app/windowed_hosting.h"

#include <ctime>
#include <string>

#include "app/windowed_play_together.h"
#include "lang/texts.h"
#include "platform/ws_client.h"
#include "server/local_server.h"

namespace quarvex {

NetworkResult host_network_game(const NetworkRequest& request, const Options& options,
                       WindowedSession& session) {
  LocalServer server;
  std::string error;
  // The host's own client keeps the game's replay in the player's folder;
  // a second copy from the server beside it would say nothing more.
  if (!server.start(request.listen_address, request.port, options.data_dir, "", error)) {
    session.shell->show_message(Message{N_("Cannot host a game on {address}: {error}"),
                                        {{"address", request_address(request)}, {"error", error}}});
    return {NetworkEnd::kFailed, 1};
  }
  NetworkGameParams params = request_params(request, options, session.replay_folder);
  params.url = server.url();
  net::Create create;
  create.lobby = true;
  create.stage = 1;
  create.seed = static_cast<uint32_t>(std::time(nullptr));
  create.version = QUARVEX_VERSION;
  create.name = request.name;
  params.create = create;
  params.join.role = net::Role::kPlayer;
  params.join.side = net::kAnySide;
  params.invite = request_address(request);
  WsClient link;
  const NetworkResult result = play_network_game(params, session, link);
  server.stop();
  return result;
}

}  // namespace quarvex
