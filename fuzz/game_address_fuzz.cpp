// The address a player types (or a remembered one from the settings file)
// is untrusted: any text is refused with a reason or gives an address whose
// URL reads back as the same address.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shell/game_address.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quarvex::GameAddress address;
  if (quarvex::parse_game_address(text, address) != nullptr) return 0;
  if (address.host.empty() || address.port == 0) std::abort();
  quarvex::GameAddress again;
  if (quarvex::parse_game_address(address.url(), again) != nullptr || !(again == address)) {
    std::abort();
  }
  return 0;
}
