#include "shell/lan_addresses.h"

#include <algorithm>

#ifndef __EMSCRIPTEN__
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#endif

namespace quarvex {

std::vector<std::string> lan_addresses() {
  std::vector<std::string> found;
#ifndef __EMSCRIPTEN__
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return found;
  std::vector<std::string> loopback;
  for (const ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
    if (i->ifa_addr == nullptr || (i->ifa_flags & IFF_UP) == 0) continue;
    char text[INET6_ADDRSTRLEN] = {};
    const int family = i->ifa_addr->sa_family;
    if (family == AF_INET) {
      const auto* in = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
      if (inet_ntop(AF_INET, &in->sin_addr, text, sizeof text) == nullptr) continue;
    } else if (family == AF_INET6) {
      const auto* in6 = reinterpret_cast<const sockaddr_in6*>(i->ifa_addr);
      if (IN6_IS_ADDR_LINKLOCAL(&in6->sin6_addr)) continue;
      if (inet_ntop(AF_INET6, &in6->sin6_addr, text, sizeof text) == nullptr) continue;
    } else {
      continue;
    }
    std::vector<std::string>& into = (i->ifa_flags & IFF_LOOPBACK) != 0 ? loopback : found;
    if (std::find(into.begin(), into.end(), text) == into.end()) into.emplace_back(text);
  }
  freeifaddrs(list);
  found.insert(found.end(), loopback.begin(), loopback.end());
#endif
  return found;
}

}  // namespace quarvex
