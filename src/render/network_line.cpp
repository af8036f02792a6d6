#include "render/network_line.h"

#include "render/overlay.h"

namespace quarvex {

void draw_network_line(Device& d, const Texts& texts, const Message& line) {
  if (line.text.empty()) return;
  draw_label(d, translated(texts, line).c_str(), kNetworkLineBox, TextAlign::kCentre);
}

}  // namespace quarvex
