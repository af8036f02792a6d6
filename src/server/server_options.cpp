#include "server/server_options.h"

#include <algorithm>
#include <string_view>

#include "world/whole_number.h"

namespace quarvex {

namespace {

struct ServerOption {
  std::string_view name;
  std::string_view value;
  std::string_view help;
};

constexpr ServerOption kServerOptions[] = {
    {"--listen", "ADDR:PORT", "address and port to serve on (default 127.0.0.1:7480)"},
    {"--tls-cert", "FILE", "certificate chain (PEM): serve wss:// instead of ws://"},
    {"--tls-key", "FILE", "the certificate's private key (PEM)"},
    {"--max-games", "N", "games at once (default 64)"},
    {"--max-clients", "N", "connections at once (default 512)"},
    {"--max-message", "BYTES", "largest message a client may send (default 1024)"},
    {"--max-rate", "N", "messages per second one client may send (default 100)"},
    {"--max-wrong-codes", "N", "wrong join codes per address and minute (default 10)"},
    {"--max-new-games", "N", "games one address may create per minute (default 10)"},
    {"--data", "DIR", "where the stage files are (default: the installed game's)"},
    {"--web", "DIR", "also serve the built page (scripts/web.sh) from DIR over HTTP"},
    {"--replays", "DIR", "keep a replay of every game in DIR"},
    {"--no-simulation", "", "do not run the games: compare the clients' hashes only"},
    {"--frame-interval", "MS", "close a frame every MS milliseconds (default 30; for tests)"},
    {"--stats", "SECONDS", "print a statistics line this often (default 60, 0: never)"},
    {"--version", "", "print the version and exit"},
    {"--help", "", "print this help and exit (also -h)"},
};

std::string make_usage() {
  std::string text =
      "usage: quarvex-server [OPTION]...\n"
      "Hosts networked games of quarvex: clients create games, join them by a\n"
      "six-letter code and play them in lockstep.\n\n";
  for (const ServerOption& option : kServerOptions) {
    std::string line = "  ";
    line.append(option.name);
    if (!option.value.empty()) line.append(" ").append(option.value);
    line.resize(std::max<size_t>(28, line.size() + 2), ' ');
    text.append(line).append(option.help).append("\n");
  }
  return text;
}

bool number(std::string_view option, std::string_view text, int64_t lowest, int64_t highest,
            int32_t& out, std::string& error) {
  int64_t n = 0;
  switch (parse_whole_number(text, lowest, highest, n)) {
    case NumberCheck::kOk:
      out = static_cast<int32_t>(n);
      return true;
    case NumberCheck::kNotANumber:
      error = std::string(option) + ": '" + std::string(text) + "' is not a whole number";
      return false;
    case NumberCheck::kOutOfRange:
      break;
  }
  error = std::string(option) + ": '" + std::string(text) + "' is outside " +
          std::to_string(lowest) + ".." + std::to_string(highest);
  return false;
}

}  // namespace

const char* server_usage_text() {
  static const std::string usage = make_usage();
  return usage.c_str();
}

bool parse_listen_address(const std::string& text, WsServerOptions& out, std::string& error) {
  std::string_view address = text;
  std::string_view port_text;
  if (address.starts_with("[")) {
    const size_t close = address.find("]:");
    if (close == std::string_view::npos) {
      error = "--listen: '" + text + "' is not [IPV6]:PORT";
      return false;
    }
    port_text = address.substr(close + 2);
    address = address.substr(1, close - 1);
  } else {
    const size_t colon = address.rfind(':');
    if (colon == std::string_view::npos) {
      error = "--listen: '" + text + "' is not ADDR:PORT";
      return false;
    }
    port_text = address.substr(colon + 1);
    address = address.substr(0, colon);
  }
  int32_t port = 0;
  if (address.empty() || !number("--listen", port_text, 0, 65535, port, error)) {
    if (error.empty()) error = "--listen: '" + text + "' names no address";
    return false;
  }
  out.address = std::string(address);
  out.port = static_cast<uint16_t>(port);
  return true;
}

ServerParse parse_server_options(int argc, const char* const* argv, ServerOptions& options,
                                 std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return ServerParse::kHelp;
    if (arg == "--version") return ServerParse::kVersion;
    if (arg == "--no-simulation") {
      options.simulate = false;
      continue;
    }
    const auto known = std::find_if(std::begin(kServerOptions), std::end(kServerOptions),
                                    [arg](const ServerOption& o) { return o.name == arg; });
    if (known == std::end(kServerOptions) || known->value.empty()) {
      error = "unknown argument '" + std::string(arg) + "'";
      return ServerParse::kError;
    }
    if (i + 1 >= argc || argv[i + 1][0] == '\0') {
      error = std::string(arg) + " needs a value";
      return ServerParse::kError;
    }
    const std::string value = argv[++i];
    net::ServerSettings& s = options.settings;
    bool ok = true;
    if (arg == "--listen") {
      ok = parse_listen_address(value, options.listen, error);
    } else if (arg == "--tls-cert") {
      options.listen.tls_cert = value;
    } else if (arg == "--tls-key") {
      options.listen.tls_key = value;
    } else if (arg == "--max-games") {
      ok = number(arg, value, 1, 100000, s.max_games, error);
    } else if (arg == "--max-clients") {
      ok = number(arg, value, 1, 1000000, s.max_clients, error);
    } else if (arg == "--max-message") {
      // The largest client message (a join) is about 70 bytes.
      ok = number(arg, value, 128, 1 << 20, s.max_message_bytes, error);
    } else if (arg == "--max-rate") {
      ok = number(arg, value, 1, 1000000, s.messages_per_second, error);
    } else if (arg == "--max-wrong-codes") {
      ok = number(arg, value, 0, 1000000, s.wrong_codes_per_minute, error);
    } else if (arg == "--max-new-games") {
      ok = number(arg, value, 0, 1000000, s.games_per_minute, error);
    } else if (arg == "--data") {
      options.data_dir = value;
    } else if (arg == "--web") {
      options.listen.web = {value};
    } else if (arg == "--replays") {
      options.replays_dir = value;
    } else if (arg == "--frame-interval") {
      ok = number(arg, value, 1, 1000, s.room.frame_ms, error);
    } else if (arg == "--stats") {
      ok = number(arg, value, 0, 86400, options.stats_seconds, error);
    }
    if (!ok) return ServerParse::kError;
  }
  if (!options.replays_dir.empty() && !options.simulate) {
    error = "--replays needs the games simulated: leave out --no-simulation";
    return ServerParse::kError;
  }
  if (options.listen.tls_cert.empty() != options.listen.tls_key.empty()) {
    error = options.listen.tls_cert.empty() ? "--tls-key needs --tls-cert"
                                            : "--tls-cert needs --tls-key";
    return ServerParse::kError;
  }
  return ServerParse::kRun;
}

}  // namespace quarvex
