#include <cstdint>

#include "net/client_transport.h"
#include "world/whole_number.h"

namespace quarvex::net {

bool parse_server_url(const std::string& url, ServerUrl& out, std::string& error) {
  std::string_view rest = url;
  const auto fail = [&](const char* why) {
    error = "'" + url + "' is not a server address (" + why + ")";
    return false;
  };
  if (rest.starts_with("ws://")) {
    out.tls = false;
    rest.remove_prefix(5);
  } else if (rest.starts_with("wss://")) {
    out.tls = true;
    rest.remove_prefix(6);
  } else {
    return fail("it starts with ws:// or wss://");
  }
  const size_t slash = rest.find('/');
  out.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
  std::string_view authority = rest.substr(0, slash);
  std::string_view port_text;
  if (authority.starts_with("[")) {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return fail("an IPv6 address ends with ]");
    out.host = std::string(authority.substr(1, close - 1));
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (!after.starts_with(":")) return fail("a port follows a colon");
      port_text = after.substr(1);
    }
  } else {
    const size_t colon = authority.rfind(':');
    out.host = std::string(authority.substr(0, colon));
    if (colon != std::string_view::npos) port_text = authority.substr(colon + 1);
  }
  if (out.host.empty()) return fail("it names a host");
  for (char c : out.host) {
    if (c <= ' ' || c == '@' || c == '/' || c == '?' || c == '#' || c >= 0x7F) {
      return fail("the host holds a character a host name does not");
    }
  }
  if (port_text.empty()) {
    out.port = out.tls ? 443 : 80;
    return true;
  }
  int64_t port = 0;
  if (parse_whole_number(port_text, 1, 65535, port) != NumberCheck::kOk) {
    return fail("the port is a number 1..65535");
  }
  out.port = static_cast<uint16_t>(port);
  return true;
}

}  // namespace quarvex::net
