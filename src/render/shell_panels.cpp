#include "render/shell_panels.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "shell/help.h"
#include "world/tables.h"

namespace quarvex {

const std::array<const char*, 6> kOrderNames = {"drive",           "hold", "roam", "go to the mark",
                                                "follow the mark", "build"};

namespace {

constexpr uint32_t kPanelColour = 0xD8101820u;
constexpr uint32_t kBorderColour = 0xFFA0A8B0u;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kHighlight = 0xFFFFD840u;
constexpr uint32_t kKeyColour = 0xFF90D0FFu;
constexpr uint32_t kDim = 0xFFB8B8B8u;
constexpr uint32_t kErrorColour = 0xFFFF9080u;
constexpr int kLine = 22;
constexpr int kHalfWidth = 10;  // pixels of a Latin letter at the font's height of 20

// Width of a text in the game's font: half an em for ASCII, a full em otherwise.
int text_width(std::string_view text) {
  int width = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      width += kHalfWidth;
    } else if ((byte & 0xC0) != 0x80) {
      width += 2 * kHalfWidth;
    }
  }
  return width;
}

// The text cut to fit `width` pixels, with "..." where it was cut.
std::string fitted(std::string text, int width) {
  if (text_width(text) <= width) return text;
  while (!text.empty() && text_width(text) + 3 * kHalfWidth > width) {
    do {
      text.pop_back();
    } while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80);
    if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) text.pop_back();
  }
  return text + "...";
}

ScreenVertex corner(int x, int y, uint32_t colour) {
  return ScreenVertex{static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f, colour, 0.0f, 0.0f};
}

void fill(Device& d, int x0, int y0, int x1, int y1, uint32_t colour) {
  d.draw_screen_quad(-1, {{corner(x0, y0, colour), corner(x0, y1, colour), corner(x1, y1, colour),
                           corner(x1, y0, colour)}});
}

void panel(Device& d, int x0, int y0, int x1, int y1) {
  fill(d, x0 - 1, y0 - 1, x1 + 1, y1 + 1, kBorderColour);
  fill(d, x0, y0, x1, y1, 0xFF101820u);
  fill(d, x0, y0, x1, y1, kPanelColour);
}

void text(Device& d, const std::string& s, int x, int y, uint32_t colour) {
  d.draw_text(s.c_str(), TextRect{x, y, kPictureWidth, kPictureHeight}, TextAlign::kLeft, colour);
}

void centred(Device& d, const std::string& s, int y, uint32_t colour) {
  d.draw_text(s.c_str(), TextRect{0, y, kPictureWidth, kPictureHeight}, TextAlign::kCentre, colour);
}

// A one-line note on its own small panel, centred, its top at `y` (the
// bottom line by default).
void hint(Device& d, const std::string& s, int y = 440) {
  const std::string line = fitted(s, 600);
  const int half = text_width(line) / 2 + 10;
  fill(d, 320 - half, y, 320 + half, y + 26, kPanelColour);
  centred(d, line, y + 3, kWhite);
}

std::string keys_of(const Bindings& b, int action) {
  std::string names;
  const ActionKeys& keys = b.keys[action];
  for (int i = 0; i < keys.count; ++i) {
    if (i > 0) names += "/";
    names += key_chord_short_name(keys.keys[i]);
  }
  return names.empty() ? "-" : names;
}

std::string pad_of(const Bindings& b, int action) {
  std::string names;
  const ActionPad& pad = b.pad[action];
  for (int i = 0; i < pad.count; ++i) {
    if (i > 0) names += "/";
    names += pad_input_name(pad.inputs[i]);
  }
  return names.empty() ? "-" : names;
}

std::string first_key(const Bindings& b, int action) {
  const ActionKeys& keys = b.keys[action];
  return keys.count > 0 ? key_chord_short_name(keys.keys[0]) : std::string();
}

// Errors name the whole path; the panel has room for the file's name.
std::string short_error(const std::string& error, const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || error.compare(0, path.size(), path) != 0) return error;
  return error.substr(slash + 1);
}

void draw_order_name(Device& d, const World& w) {
  if (w.order_item < 0 || w.order_item >= kOrderItems) return;
  std::string line = kOrderNames[w.order_item];
  std::string detail;
  const bool has_side = w.player_side >= 0 && w.player_side < kSides;
  if (w.order_item == kOrderItems - 1 && has_side) {
    const int k = build_list_kind(w.side_build_list[w.player_side], w.build_item);
    if (const UnitKind* kind = unit_kind(k)) {
      // Prices read as the funds do: ten times the stored cost.
      detail = std::string(kind_names[k]) + "  price " + std::to_string(kind->cost * 10);
    }
  }
  const int width = std::max(text_width(line), text_width(detail)) + 16;
  fill(d, 106, 40, 106 + width, detail.empty() ? 66 : 88, kPanelColour);
  text(d, line, 114, 43, kWhite);
  if (!detail.empty()) text(d, detail, 114, 65, kHighlight);
}

void draw_help(Device& d, const World& w, const Shell& shell) {
  const HelpMode mode = help_mode(w, shell.play_mode());
  const Bindings& b = shell.bindings();
  const std::vector<std::string>& errors = shell.settings().errors;
  int lines = 0;
  for (const HelpLine& line : help_lines()) {
    if ((line.modes & help_bit(mode)) != 0) ++lines;
  }
  constexpr int kMaxErrorLines = 4;
  const int error_lines = std::min<int>(static_cast<int>(errors.size()), kMaxErrorLines);
  const int bottom = 56 + lines * kLine + (error_lines > 0 ? 8 + error_lines * kLine : 0);
  panel(d, 16, 16, 624, bottom);
  text(d, help_mode_title(mode), 28, 22, kHighlight);
  int y = 52;
  for (const HelpLine& line : help_lines()) {
    if ((line.modes & help_bit(mode)) == 0) continue;
    std::string keys;
    for (const int8_t action : line.actions) {
      if (action < 0) break;
      if (!keys.empty()) keys += "  ";
      keys += keys_of(b, action);
    }
    text(d, fitted(keys, 250), 28, y, kKeyColour);
    text(d, fitted(line.text, 330), 290, y, kWhite);
    y += kLine;
  }
  if (error_lines == 0) return;
  y += 8;
  for (int i = 0; i < error_lines; ++i) {
    std::string line = short_error(errors[i], shell.settings().path);
    if (i == kMaxErrorLines - 1 && errors.size() > kMaxErrorLines) {
      line = "... and " + std::to_string(errors.size() - i) + " more on standard error";
    }
    text(d, fitted(line, 590), 28, y, kErrorColour);
    y += kLine;
  }
}

// What is on the screen when it is not the player's own game.
void draw_play_mode(Device& d, const World& w, const Shell& shell) {
  std::string label;
  if (shell.play_mode() == PlayMode::kReplay) {
    label = "REPLAY x" + std::to_string(shell.replay_speed());
  } else if (shell.play_mode() == PlayMode::kWatch && w.game_phase != 0) {
    label = "WATCHING";
  } else {
    return;
  }
  const int half = text_width(label) / 2 + 10;
  fill(d, 320 - half, 4, 320 + half, 30, kPanelColour);
  centred(d, label, 7, kHighlight);
}

void draw_menu(Device& d, const Shell& shell) {
  panel(d, 180, 120, 460, 336);
  centred(d, "Menu", 130, kHighlight);
  for (int i = 0; i < kMenuItems; ++i) {
    const bool on = i == shell.menu_row();
    centred(d, on ? std::string("> ") + kMenuItemTexts[i] + " <" : kMenuItemTexts[i], 170 + i * 32,
            on ? kHighlight : kWhite);
  }
}

void draw_quit_question(Device& d, const Shell& shell) {
  panel(d, 230, 180, 410, 300);
  centred(d, "Quit?", 192, kWhite);
  for (int i = 0; i < 2; ++i) {
    const bool on = i == shell.quit_row();
    centred(d, on ? std::string("> ") + kQuitAnswers[i] + " <" : kQuitAnswers[i], 228 + i * 30,
            on ? kHighlight : kWhite);
  }
}

void draw_controls(Device& d, const Shell& shell) {
  panel(d, 8, 8, 632, 472);
  text(d, "Controls", 20, 12, kHighlight);
  text(d, "Enter: add a key  Backspace: clear  Esc: back", 170, 12, kDim);
  text(d, "action", 20, 38, kDim);
  text(d, "keys", 180, 38, kDim);
  text(d, "gamepad", 450, 38, kDim);
  const Bindings& b = shell.bindings();
  // More actions than rows: the page scrolls to keep the chosen one in view.
  constexpr int kRows = 16;
  const int shown = std::min<int>(kRows, kActionCount);
  const int first = std::clamp(shell.controls_row() - kRows / 2, 0, kActionCount - shown);
  if (shown < kActionCount) {
    text(d,
         std::to_string(first + 1) + "-" + std::to_string(first + shown) + "/" +
             std::to_string(kActionCount),
         556, 38, kDim);
  }
  for (int a = first; a < first + shown; ++a) {
    const int y = 62 + (a - first) * kLine;
    const bool on = a == shell.controls_row();
    if (on)
      fill(d, 14, y - 1, 626, y + kLine - 1, shell.controls_waiting() ? 0xFF705010u : 0xFF303C50u);
    const uint32_t colour = on ? kHighlight : kWhite;
    text(d, kActions[a].label, 20, y, colour);
    text(d, fitted(keys_of(b, a), 260), 180, y, on ? kHighlight : kKeyColour);
    text(d, fitted(pad_of(b, a), 170), 450, y, on ? kHighlight : kKeyColour);
  }
  const int notes_y = 62 + shown * kLine + 6;
  text(d, fitted(shell.controls_note(), 600), 20, notes_y, kWhite);
  const std::string& save_note = shell.save_note();
  const bool failed = save_note.rfind("Not saved", 0) == 0;
  text(d, fitted(save_note, 600), 20, notes_y + kLine, failed ? kErrorColour : kDim);
}

void draw_message(Device& d, const Shell& shell) {
  panel(d, 120, 140, 520, 340);
  text(d, shell.message(), 140, 156, kWhite);
  fill(d, 280, 300, 360, 330, kBorderColour);
  d.draw_text("OK", TextRect{280, 304, 360, 330}, TextAlign::kCentre, 0xFF202020u);
}

}  // namespace

void draw_shell_overlay(Device& d, const World& w, const Shell& shell) {
  const bool playing = w.game_phase != 0;
  const bool nothing_over = shell.screen() == ShellScreen::kNone && !shell.message_shown();
  if (playing && w.command_mode == 1) draw_order_name(d, w);
  draw_play_mode(d, w, shell);
  if (nothing_over && shell.help_visible()) draw_help(d, w, shell);
  if (shell.paused()) {
    // Above the title menu's rows and the crosshair, so neither is hidden.
    fill(d, 250, 96, 390, 126, kPanelColour);
    centred(d, "PAUSED", 100, kHighlight);
  }
  if (nothing_over && !shell.help_visible()) {
    const Bindings& b = shell.bindings();
    if (!playing && !first_key(b, kActionHelp).empty()) {
      const bool errors = !shell.settings().errors.empty();
      hint(d, first_key(b, kActionHelp) + ": help" +
                  (errors ? " (the settings file has errors)" : ""));
    }
    if (w.game_phase == 2 && !first_key(b, kActionMenu).empty()) {
      hint(d, first_key(b, kActionMenu) + ": menu");
    }
  }
  switch (shell.screen()) {
    case ShellScreen::kMenu:
      draw_menu(d, shell);
      break;
    case ShellScreen::kQuitQuestion:
      draw_quit_question(d, shell);
      break;
    case ShellScreen::kControls:
      draw_controls(d, shell);
      break;
    case ShellScreen::kNone:
      break;
  }
  if (shell.message_shown()) draw_message(d, shell);
  // A sound key's note, over everything and above the bottom line's hint.
  if (!shell.sound_note().empty()) hint(d, shell.sound_note(), 408);
}

}  // namespace quarvex
