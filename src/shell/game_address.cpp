#include "shell/game_address.h"

#include <algorithm>

#include "lang/texts.h"
#include "shell/settings.h"

namespace quarvex {

namespace {

// The longest host name DNS carries.
constexpr size_t kMaxHostCharacters = 253;

bool starts_with_no_case(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_host_name(std::string_view host) {
  if (host.empty() || host.size() > kMaxHostCharacters) return false;
  return std::all_of(host.begin(), host.end(), [](char c) {
    return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
           c == '.' || c == '_';
  });
}

bool is_ipv6(std::string_view host) {
  if (host.size() < 2 || host.size() > 45 || host.find(':') == std::string_view::npos) {
    return false;
  }
  return std::all_of(host.begin(), host.end(), [](char c) {
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == ':' || c == '.';
  });
}

bool parse_port(std::string_view text, uint16_t& port) {
  if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), is_digit)) {
    return false;
  }
  int value = 0;
  for (const char c : text) value = value * 10 + (c - '0');
  if (value < 1 || value > 65535) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

std::string GameAddress::url() const {
  std::string text = secure ? "wss://" : "ws://";
  if (host.find(':') != std::string::npos) {
    text += '[';
    text += host;
    text += ']';
  } else {
    text += host;
  }
  text += ':';
  text += std::to_string(port);
  text += path;
  return text;
}

const char* parse_game_address(std::string_view text, GameAddress& out) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return N_("Type the address of the game, like 192.168.1.20.");
  GameAddress address;
  if (starts_with_no_case(text, "wss://")) {
    address.secure = true;
    text.remove_prefix(6);
  } else if (starts_with_no_case(text, "ws://")) {
    text.remove_prefix(5);
  } else if (text.find("://") != std::string_view::npos) {
    return N_("Only ws:// and wss:// addresses lead to a game.");
  }
  if (const size_t slash = text.find('/'); slash != std::string_view::npos) {
    const std::string_view path = text.substr(slash);
    if (!std::all_of(path.begin(), path.end(), [](char c) { return c > ' ' && c < 0x7F; })) {
      return N_("The path after the address holds a space or a character no address has.");
    }
    address.path = std::string(path);
    text = text.substr(0, slash);
  }
  std::string_view host = text;
  std::string_view port;
  bool has_port = false;
  if (!text.empty() && text.front() == '[') {
    const size_t close = text.find(']');
    if (close == std::string_view::npos) return N_("An IPv6 address in [ ] lacks its ].");
    host = text.substr(1, close - 1);
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return N_("After ] only :PORT may follow.");
      port = rest.substr(1);
      has_port = true;
    }
    if (!is_ipv6(host)) return N_("That is not an IPv6 address.");
  } else if (std::count(text.begin(), text.end(), ':') > 1) {
    // A bare IPv6 address: its last group is no port.
    if (!is_ipv6(host)) return N_("That is not an IPv6 address.");
  } else {
    if (const size_t colon = text.find(':'); colon != std::string_view::npos) {
      host = text.substr(0, colon);
      port = text.substr(colon + 1);
      has_port = true;
    }
    if (!is_host_name(host)) return N_("That is not a host name or address.");
  }
  if (has_port && !parse_port(port, address.port)) {
    return N_("The port is a number from 1 to 65535.");
  }
  address.host = std::string(host);
  out = std::move(address);
  return nullptr;
}

void remember_address(std::vector<std::string>& addresses, std::string_view address) {
  addresses.erase(std::remove(addresses.begin(), addresses.end(), address), addresses.end());
  addresses.insert(addresses.begin(), std::string(address));
  if (addresses.size() > kRememberedAddresses) addresses.resize(kRememberedAddresses);
}

}  // namespace quarvex
