#include <csignal>
#include <cstdio>
#include <string>

#include "server/server_options.h"
#include "server/server_run.h"

int main(int argc, char** argv) {
  // A client that vanishes mid-write must not end the server.
  std::signal(SIGPIPE, SIG_IGN);
  quarvex::ServerOptions options;
  std::string error;
  switch (quarvex::parse_server_options(argc, argv, options, error)) {
    case quarvex::ServerParse::kHelp:
      std::fputs(quarvex::server_usage_text(), stdout);
      return 0;
    case quarvex::ServerParse::kVersion:
      std::puts("quarvex-server " QUARVEX_VERSION);
      return 0;
    case quarvex::ServerParse::kError:
      std::fprintf(stderr, "quarvex-server: %s\n", error.c_str());
      return 2;
    case quarvex::ServerParse::kRun:
      break;
  }
  return quarvex::run_server(options);
}
