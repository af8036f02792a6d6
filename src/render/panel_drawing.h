#pragma once
// The pieces the shell's screens are drawn with: dark panels with a border,
// and texts placed in their boxes, measured by the device in the face of
// their language.

#include <cstdint>
#include <string>

#include "platform/device.h"

namespace quarvex {

constexpr uint32_t kPanelColour = 0xD8101820u;
constexpr uint32_t kBorderColour = 0xFFA0A8B0u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kHighlight = 0xFFFFD840u;
constexpr uint32_t kKeyColour = 0xFF90D0FFu;
constexpr uint32_t kDim = 0xFFB8B8B8u;
constexpr uint32_t kErrorColour = 0xFFFF9080u;
// The height of a line of text on the panels.
constexpr int kLine = 22;

void fill(Device& d, int x0, int y0, int x1, int y1, uint32_t colour);
// A dark panel with a one-pixel border around it.
void panel(Device& d, int x0, int y0, int x1, int y1);

// A line of text in a box one line high, from (left, top) to `right`.
TextRect line_box(int left, int top, int right);
void text(Device& d, const std::string& s, const TextRect& box, uint32_t colour);
void centred(Device& d, const std::string& s, const TextRect& box, uint32_t colour);

int text_width(Device& d, const std::string& s);
// A text of the player's or the system's (a file name, a key list, an
// error) cut to `width` pixels with "..." where it was cut. The game's own
// texts are never cut: they must fit their boxes in every language.
std::string fitted(Device& d, std::string s, int width);
// The text with its lines broken to `width` pixels: after a space where
// there is one, else between any two characters (Japanese has no spaces).
std::string wrapped(Device& d, const std::string& s, int width);

}  // namespace quarvex
