#include "render/network_line.h"

#include "render/overlay.h"

namespace quarvex {

void draw_network_line(Device& d, const Texts& texts, const Message& line) {
  if (line.text.empty()) return;
  draw_label(d, translated(texts, line).c_str(), kNetworkLineBox, TextAlign::kCentre);
}

void draw_network_failure(Device& d, const Texts& texts, const Message& line) {
  draw_network_line(d, texts, line);
  draw_label(d, texts.tr("Esc leaves."), kNetworkHintBox, TextAlign::kCentre);
}

}  // namespace quarvex
