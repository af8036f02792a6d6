// The Play together page: its four choices, the machine's addresses to host
// on, the addresses joined last, and the name, address and code typed with
// the text entry. Names and addresses are the player's: cut to their boxes.

#include <algorithm>
#include <string>

#include "render/panel_drawing.h"
#include "render/shell_panels.h"
#include "render/text_entry_drawing.h"
#include "shell/player_name.h"

namespace quarvex {

namespace {

constexpr int kLeft = 80;
constexpr int kRight = 560;
constexpr int kTop = 70;
constexpr int kBottom = 466;
constexpr int kRowStep = 28;

void row(Device& d, const std::string& label, int top, bool chosen) {
  const std::string shown = fitted(d, label, kRight - kLeft - 80);
  centred(d, chosen ? "< " + shown + " >" : shown, line_box(kLeft + 10, top, kRight - 10),
          chosen ? kHighlight : kWhite);
}

std::string step_heading(const Texts& texts, const PlayTogetherPage& page) {
  switch (page.step()) {
    case PlayTogetherStep::kChoices:
      return texts.tr("Play together");
    case PlayTogetherStep::kName:
      return texts.tr("Your name, as the other players see it");
    case PlayTogetherStep::kHostAddresses:
      return texts.trf("Host on which address? (port {port})",
                       {{"port", std::to_string(kDefaultGamePort)}});
    case PlayTogetherStep::kAddresses:
    case PlayTogetherStep::kAddress:
      return page.watching() ? texts.tr("Watch a game: its address")
                             : texts.tr("Join a game: its address");
    case PlayTogetherStep::kCode:
      return texts.tr("The game's code (six letters)");
  }
  return {};
}

int draw_lists(Device& d, const Shell& shell, const PlayTogetherPage& page, int top) {
  const Texts& texts = shell.texts();
  switch (page.step()) {
    case PlayTogetherStep::kChoices: {
      const std::string name = player_name(shell.settings().settings.player_name);
      const std::string labels[kPlayRows] = {texts.tr("Host a game"), texts.tr("Join a game"),
                                             texts.tr("Watch a game"),
                                             texts.trf("Name: {name}", {{"name", name}})};
      for (int i = 0; i < kPlayRows; ++i) row(d, labels[i], top + i * kRowStep, i == page.row());
      return top + kPlayRows * kRowStep;
    }
    case PlayTogetherStep::kHostAddresses: {
      const auto& addresses = page.lan_addresses();
      for (size_t i = 0; i < addresses.size() && i < 8; ++i) {
        row(d, addresses[i], top + static_cast<int>(i) * kRowStep,
            static_cast<int>(i) == page.row());
      }
      return top + static_cast<int>(std::min<size_t>(addresses.size(), 8)) * kRowStep;
    }
    case PlayTogetherStep::kAddresses: {
      const auto& addresses = shell.settings().settings.addresses;
      row(d, texts.tr("New address..."), top, page.row() == 0);
      for (size_t i = 0; i < addresses.size(); ++i) {
        row(d, addresses[i], top + static_cast<int>(i + 1) * kRowStep,
            static_cast<int>(i + 1) == page.row());
      }
      return top + static_cast<int>(addresses.size() + 1) * kRowStep;
    }
    case PlayTogetherStep::kName:
    case PlayTogetherStep::kAddress:
    case PlayTogetherStep::kCode:
      break;
  }
  return top;
}

}  // namespace

void draw_play_together_page(Device& d, const Shell& shell) {
  const Texts& texts = shell.texts();
  const PlayTogetherPage& page = shell.play_together_page();
  panel(d, kLeft, kTop, kRight, kBottom);
  centred(d, step_heading(texts, page), line_box(kLeft + 10, kTop + 10, kRight - 10), kHighlight);
  int top = kTop + 46;
  if (page.step() == PlayTogetherStep::kCode) {
    text(d, fitted(d, page.request().url, kRight - kLeft - 40),
         line_box(kLeft + 20, top, kRight - 20), kDim);
    top += kLine + 6;
  }
  if (page.typing()) {
    top = draw_text_entry(d, texts, page.entry(), kLeft + 20, top, kRight - 20);
  } else {
    top = draw_lists(d, shell, page, top);
  }
  if (page.problem() != nullptr) {
    text(d, wrapped(d, texts.tr(page.problem()), kRight - kLeft - 40),
         TextRect{kLeft + 20, top + 4, kRight - 20, kBottom - kLine - 10}, kErrorColour);
  } else if (shell.save_failed()) {
    text(d, fitted(d, shell.save_note(), kRight - kLeft - 40),
         line_box(kLeft + 20, top + 4, kRight - 20), kErrorColour);
  }
  const char* hint = page.typing() ? texts.tr("Type, then Enter. Esc goes back.")
                                   : texts.tr("Enter chooses. Esc goes back.");
  centred(d, hint, line_box(kLeft + 10, kBottom - kLine - 6, kRight - 10), kDim);
}

}  // namespace quarvex
