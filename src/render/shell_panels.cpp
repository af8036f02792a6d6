#include "render/shell_panels.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "render/panel_drawing.h"
#include "render/unit_names.h"
#include "shell/help.h"
#include "world/tables.h"

namespace quarvex {

namespace {

// A one-line note on its own small panel, centred, its top at `y` (the
// bottom line by default).
void hint(Device& d, const std::string& s, int y = 440) {
  const int half = text_width(d, s) / 2 + 10;
  fill(d, 320 - half, y, 320 + half, y + 26, kPanelColour);
  centred(d, s, line_box(20, y + 3, 620), kWhite);
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

void draw_order_name(Device& d, const World& w, const Texts& texts) {
  const CommandState& player = player_state(w);
  if (player.order_item < 0 || player.order_item >= kOrderItems) return;
  const std::string line = texts.tr(kOrderNames[player.order_item]);
  std::string detail;
  const bool has_side = w.player_side >= 0 && w.player_side < kSides;
  if (player.order_item == kOrderItems - 1 && has_side) {
    const int k = build_list_kind(w.side_build_list[w.player_side], player.build_item);
    if (const UnitKind* kind = unit_kind(k)) {
      // Prices read as the funds do: ten times the stored cost.
      detail = texts.trf("{unit}  price {price}", {{"unit", texts.tr(kind_name(k))},
                                                   {"price", std::to_string(kind->cost * 10)}});
    }
  }
  // Clear of the production panel, which starts at 510.
  const int width = std::max(text_width(d, line), text_width(d, detail)) + 16;
  fill(d, 106, 40, std::min(106 + width, 504), detail.empty() ? 66 : 88, kPanelColour);
  text(d, line, line_box(114, 43, 500), kWhite);
  if (!detail.empty()) text(d, detail, line_box(114, 65, 500), kHighlight);
}

void draw_help(Device& d, const World& w, const Shell& shell) {
  const Texts& texts = shell.texts();
  const HelpMode mode = help_mode(w, shell.play_mode());
  const Bindings& b = shell.bindings();
  const std::vector<std::string>& errors = shell.settings().errors;
  int lines = 0;
  const bool together = shell.networked();
  for (const HelpLine& line : help_lines()) {
    if (help_lists(line, mode, together)) ++lines;
  }
  constexpr int kMaxErrorLines = 4;
  const int error_lines = std::min<int>(static_cast<int>(errors.size()), kMaxErrorLines);
  const int bottom = 56 + lines * kLine + (error_lines > 0 ? 8 + error_lines * kLine : 0);
  panel(d, 16, 16, 624, bottom);
  text(d, texts.tr(help_mode_title(mode)), line_box(28, 22, 612), kHighlight);
  int y = 52;
  for (const HelpLine& line : help_lines()) {
    if (!help_lists(line, mode, together)) continue;
    std::string keys = line.keys != nullptr ? line.keys : "";
    for (const int8_t action : line.actions) {
      if (action < 0) break;
      if (!keys.empty()) keys += "  ";
      keys += keys_of(b, action);
    }
    text(d, fitted(d, keys, 232), line_box(28, y, 260), kKeyColour);
    text(d, texts.tr(line.text), line_box(270, y, 612), kWhite);
    y += kLine;
  }
  if (error_lines == 0) return;
  y += 8;
  for (int i = 0; i < error_lines; ++i) {
    // The file's own lines, as standard error has them.
    std::string line = fitted(d, without_folder(errors[i], shell.settings().path), 584);
    if (i == kMaxErrorLines - 1 && errors.size() > kMaxErrorLines) {
      line = texts.trf("... and {count} more on standard error",
                       {{"count", std::to_string(errors.size() - i)}});
    }
    text(d, line, line_box(28, y, 612), kErrorColour);
    y += kLine;
  }
}

// What is on the screen when it is not the player's own game.
void draw_play_mode(Device& d, const World& w, const Shell& shell) {
  const Texts& texts = shell.texts();
  std::string label;
  if (shell.play_mode() == PlayMode::kReplay) {
    label = texts.trf("REPLAY x{speed}", {{"speed", std::to_string(shell.replay_speed())}});
  } else if (shell.play_mode() == PlayMode::kWatch && w.game_phase != 0) {
    label = texts.tr("WATCHING");
  } else {
    return;
  }
  const int half = text_width(d, label) / 2 + 10;
  fill(d, 320 - half, 4, 320 + half, 30, kPanelColour);
  centred(d, label, line_box(20, 7, 620), kHighlight);
}

// A menu's row: "> Controls <" in the highlight when chosen.
void menu_row(Device& d, const char* label, bool chosen, const TextRect& box) {
  centred(d, chosen ? std::string("> ") + label + " <" : std::string(label), box,
          chosen ? kHighlight : kWhite);
}

void draw_menu(Device& d, const Shell& shell) {
  const Texts& texts = shell.texts();
  panel(d, 180, 120, 460, 168 + kMenuItems * 32);
  centred(d, texts.tr("Menu"), line_box(190, 130, 450), kHighlight);
  for (int i = 0; i < kMenuItems; ++i) {
    menu_row(d, texts.tr(shell.menu_item_text(i)), i == shell.menu_row(),
             line_box(190, 170 + i * 32, 450));
  }
}

void draw_quit_question(Device& d, const Shell& shell) {
  const Texts& texts = shell.texts();
  panel(d, 230, 180, 410, 300);
  centred(d, texts.tr("Quit?"), line_box(240, 192, 400), kWhite);
  for (int i = 0; i < 2; ++i) {
    menu_row(d, texts.tr(kQuitAnswers[i]), i == shell.quit_row(), line_box(240, 228 + i * 30, 400));
  }
}

void draw_controls(Device& d, const Shell& shell) {
  const Texts& texts = shell.texts();
  panel(d, 8, 8, 632, 472);
  text(d, texts.tr("Controls"), line_box(20, 12, 165), kHighlight);
  text(d, texts.tr("Enter: add a key  Backspace: clear  Esc: back"), line_box(170, 12, 624), kDim);
  text(d, texts.tr("action"), line_box(20, 38, 175), kDim);
  text(d, texts.tr("keys"), line_box(180, 38, 445), kDim);
  text(d, texts.tr("gamepad"), line_box(450, 38, 550), kDim);
  const Bindings& b = shell.bindings();
  // More actions than rows: the page scrolls to keep the chosen one in view.
  constexpr int kRows = 16;
  const int shown = std::min<int>(kRows, kActionCount);
  const int first = std::clamp(shell.controls_row() - kRows / 2, 0, kActionCount - shown);
  if (shown < kActionCount) {
    text(d,
         std::to_string(first + 1) + "-" + std::to_string(first + shown) + "/" +
             std::to_string(kActionCount),
         line_box(556, 38, 626), kDim);
  }
  for (int a = first; a < first + shown; ++a) {
    const int y = 62 + (a - first) * kLine;
    const bool on = a == shell.controls_row();
    if (on)
      fill(d, 14, y - 1, 626, y + kLine - 1, shell.controls_waiting() ? 0xFF705010u : 0xFF303C50u);
    const uint32_t colour = on ? kHighlight : kWhite;
    text(d, texts.tr(kActions[a].label), line_box(20, y, 175), colour);
    text(d, fitted(d, keys_of(b, a), 260), line_box(180, y, 445), on ? kHighlight : kKeyColour);
    text(d, fitted(d, pad_of(b, a), 170), line_box(450, y, 626), on ? kHighlight : kKeyColour);
  }
  const int notes_y = 62 + shown * kLine + 6;
  text(d, shell.controls_note(), line_box(20, notes_y, 620), kWhite);
  // The note names the settings file, whose path may be of any length.
  text(d, fitted(d, shell.save_note(), 600), line_box(20, notes_y + kLine, 620),
       shell.save_failed() ? kErrorColour : kDim);
}

// The game's boxes keep their place and size; a longer text (a note about
// the replays, with the system's reason) makes the box taller, about the
// same middle.
void draw_message(Device& d, const Shell& shell) {
  const Texts& texts = shell.texts();
  const std::string message = wrapped(d, translated(texts, shell.message()), 360);
  const int grow = std::max(0, d.text_size(message.c_str()).height - 140);
  const int top = std::max(8, 140 - grow / 2);
  const int bottom = top + 200 + grow;
  panel(d, 120, top, 520, bottom);
  text(d, message, TextRect{140, top + 16, 500, bottom - 44}, kWhite);
  fill(d, 280, bottom - 40, 360, bottom - 10, kBorderColour);
  d.draw_text(texts.tr("OK"), TextRect{280, bottom - 36, 360, bottom - 10}, TextAlign::kCentre,
              0xFF202020u);
}

}  // namespace

void draw_shell_overlay(Device& d, const World& w, const Shell& shell) {
  const Texts& texts = shell.texts();
  d.set_text_face(texts.face());
  const bool playing = w.game_phase != 0;
  const bool nothing_over = shell.screen() == ShellScreen::kNone && !shell.message_shown();
  if (playing && player_state(w).command_mode == 1) draw_order_name(d, w, texts);
  if (!playing && shell.play_mode() == PlayMode::kPlay) draw_title_entries(d, shell);
  draw_play_mode(d, w, shell);
  if (nothing_over && shell.help_visible()) draw_help(d, w, shell);
  if (shell.paused()) {
    // Above the title menu's rows and the crosshair, so neither is hidden.
    fill(d, 250, 96, 390, 126, kPanelColour);
    centred(d, texts.tr("PAUSED"), line_box(252, 100, 388), kHighlight);
  }
  if (nothing_over && !shell.help_visible()) {
    const Bindings& b = shell.bindings();
    const std::string help_key = first_key(b, kActionHelp);
    if (!playing && !help_key.empty()) {
      const bool errors = !shell.settings().errors.empty();
      hint(d, errors ? texts.trf("{key}: help (the settings file has errors)", {{"key", help_key}})
                     : texts.trf("{key}: help", {{"key", help_key}}));
    }
    if (w.game_phase == 2 && !first_key(b, kActionMenu).empty()) {
      hint(d, texts.trf("{key}: menu", {{"key", first_key(b, kActionMenu)}}));
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
    case ShellScreen::kLanguage:
      draw_language_page(d, shell);
      break;
    case ShellScreen::kStages:
      draw_stage_list_page(d, shell);
      break;
    case ShellScreen::kRandomBattle:
      draw_random_battle_page(d, shell);
      break;
    case ShellScreen::kPlayTogether:
      draw_play_together_page(d, shell);
      break;
    case ShellScreen::kNone:
      break;
  }
  if (shell.message_shown()) draw_message(d, shell);
  // A passing note, over everything and above the bottom line's hint; it
  // may hold the system's reason for a failure, of any length.
  if (!shell.note().empty()) hint(d, fitted(d, shell.note(), 600), 408);
}

}  // namespace quarvex
