// The lobby: what to give friends, the stage with its ground, the four
// sides with their players' names, ready marks and round trips, Start or
// Ready, and Leave. Names come from other players: cut to their boxes.

#include <algorithm>
#include <string>

#include "render/draw.h"
#include "render/lobby_drawing.h"
#include "render/panel_drawing.h"

namespace quarvex {

namespace {

constexpr int kLeft = 40;
constexpr int kRight = 600;
constexpr int kTop = 16;
constexpr int kBottom = 468;
constexpr int kRowStep = 30;
constexpr int kAtlasPanels = 5;
constexpr int kEmblemCell = 8;  // side emblems are cells 8..11
// The stage's ground, shown small beside the stage's row.
constexpr float kPictureLeft = 456.0f;
constexpr float kPictureTop = 96.0f;
constexpr float kPictureSize = 120.0f;

std::string marked(const std::string& label, bool chosen) {
  return chosen ? "< " + label + " >" : label;
}

void ground_picture(Device& d) {
  const uint32_t colour = 0xFFFFFFFFu;
  const float x0 = kPictureLeft;
  const float y0 = kPictureTop;
  const float x1 = x0 + kPictureSize;
  const float y1 = y0 + kPictureSize;
  fill(d, static_cast<int>(x0) - 1, static_cast<int>(y0) - 1, static_cast<int>(x1) + 1,
       static_cast<int>(y1) + 1, kBorderColour);
  d.draw_screen_quad(kGroundSlot, {{{x0, y0, 0.0f, 1.0f, colour, 0.0f, 0.0f},
                                    {x0, y1, 0.0f, 1.0f, colour, 0.0f, 1.0f},
                                    {x1, y1, 0.0f, 1.0f, colour, 1.0f, 1.0f},
                                    {x1, y0, 0.0f, 1.0f, colour, 1.0f, 0.0f}}});
}

std::string seat_label(const Texts& texts, const LobbyView& view, int side) {
  const LobbySeatView& seat = view.seats[static_cast<size_t>(side)];
  switch (seat.seat) {
    case LobbySeat::kOpen:
      return texts.tr("Open");
    case LobbySeat::kComputer:
      return texts.tr("The computer");
    case LobbySeat::kClosed:
      return texts.tr("Closed");
    case LobbySeat::kPlayer:
      break;
  }
  return seat.name;
}

void side_row(Device& d, const Texts& texts, const LobbyPage& page, int side, int top) {
  const LobbyView& view = page.view();
  const LobbySeatView& seat = view.seats[static_cast<size_t>(side)];
  const bool chosen = page.row() == kLobbyFirstSide + side;
  if (chosen) fill(d, kLeft + 10, top - 3, 452, top + kRowStep - 5, 0x60FFD840u);
  draw_screen_square(d, static_cast<float>(kLeft + 30), static_cast<float>(top + 11), 255, 24.0f,
                     kAtlasPanels, static_cast<int8_t>(kEmblemCell + side));
  const uint32_t colour = seat.seat == LobbySeat::kPlayer ? (chosen ? kHighlight : kWhite) : kDim;
  // The name is cut to what its box leaves beside "(you)".
  const int name_left = kLeft + 52;
  const int name_right = 288;
  int room = name_right - name_left - 4;
  if (side == view.own_side) room -= text_width(d, texts.trf("{name} (you)", {{"name", ""}}));
  std::string label = fitted(d, seat_label(texts, view, side), room);
  if (side == view.own_side) label = texts.trf("{name} (you)", {{"name", label}});
  text(d, label, line_box(name_left, top, name_right), colour);
  if (seat.seat != LobbySeat::kPlayer) return;
  std::string marks;
  if (side == view.host_side) {
    marks = texts.tr("host");
  } else if (seat.ready) {
    marks = texts.tr("ready");
  }
  text(d, marks, line_box(290, top, 374), seat.ready ? kKeyColour : kDim);
  if (seat.rtt_ms > 0) {
    // Beyond ten seconds a round trip says nothing more.
    const int rtt_ms = std::min<int>(seat.rtt_ms, 9999);
    const std::string rtt = texts.trf("{ms} ms", {{"ms", std::to_string(rtt_ms)}});
    d.draw_text(rtt.c_str(), line_box(374, top, 450), TextAlign::kRight, kDim);
  }
}

std::string ready_row_label(const Texts& texts, const LobbyView& view) {
  if (view.host) return texts.tr("Start");
  if (view.own_side < 0 || view.own_side >= kLobbySides) return texts.tr("Watching");
  return view.seats[static_cast<size_t>(view.own_side)].ready ? texts.tr("Ready: yes")
                                                              : texts.tr("Ready: no");
}

}  // namespace

void draw_lobby_page(Device& d, const Texts& texts, const LobbyPage& page) {
  const LobbyView& view = page.view();
  panel(d, kLeft, kTop, kRight, kBottom);
  centred(d, texts.tr("Lobby"), line_box(kLeft + 10, kTop + 8, kRight - 10), kHighlight);
  // What friends need, one line each: the code is never cut.
  const int invite_top = kTop + 32;
  if (!view.address.empty()) {
    const std::string address = texts.trf("Address: {address}", {{"address", view.address}});
    centred(d, fitted(d, address, kRight - kLeft - 40),
            line_box(kLeft + 10, invite_top, kRight - 10), kWhite);
  }
  centred(d, texts.trf("Code: {code}", {{"code", view.code}}),
          line_box(kLeft + 10, invite_top + kLine, kRight - 10), kWhite);

  const int stage_top = static_cast<int>(kPictureTop);
  const bool stage_chosen = page.row() == kLobbyStage;
  const std::string stage = texts.trf("MAP {number}", {{"number", std::to_string(view.stage)}});
  text(d, marked(stage, stage_chosen), line_box(kLeft + 20, stage_top, 440),
       stage_chosen ? kHighlight : kWhite);
  text(d, texts.tr("Size: 1000 x 1000"), line_box(kLeft + 20, stage_top + kLine, 440), kDim);
  ground_picture(d);

  const int sides_top = stage_top + 2 * kLine + 14;
  for (int side = 0; side < kLobbySides; ++side) {
    side_row(d, texts, page, side, sides_top + side * kRowStep);
  }
  const int ready_top = sides_top + kLobbySides * kRowStep + 8;
  const bool can_start = !view.host || lobby_can_start(view);
  const bool ready_chosen = page.row() == kLobbyReady;
  centred(d, marked(ready_row_label(texts, view), ready_chosen),
          line_box(kLeft + 10, ready_top, kRight - 10),
          !can_start ? kDim : (ready_chosen ? kHighlight : kWhite));
  const bool leave_chosen = page.row() == kLobbyLeave;
  centred(d, marked(texts.tr("Leave"), leave_chosen),
          line_box(kLeft + 10, ready_top + kRowStep, kRight - 10),
          leave_chosen ? kHighlight : kWhite);
  if (view.spectators > 0) {
    const std::string watching =
        texts.trf("Watching: {count}", {{"count", std::to_string(view.spectators)}});
    centred(d, watching, line_box(kLeft + 10, ready_top + 2 * kRowStep, kRight - 10), kDim);
  }
  const TextRect problem_box{kLeft + 20, ready_top + 3 * kRowStep, kRight - 20,
                             kBottom - kLine - 10};
  if (page.problem() != nullptr) {
    centred(d, wrapped(d, texts.tr(page.problem()), kRight - kLeft - 40), problem_box,
            kErrorColour);
  } else if (!page.refusal().empty()) {
    centred(d, wrapped(d, page.refusal(), kRight - kLeft - 40), problem_box, kErrorColour);
  }
  const char* hint = view.host ? texts.tr("Left/Right: change   Enter: choose   Esc: leave")
                               : texts.tr("Enter: take a side or mark ready   Esc: leave");
  centred(d, hint, line_box(kLeft + 10, kBottom - kLine - 6, kRight - 10), kDim);
}

}  // namespace quarvex
