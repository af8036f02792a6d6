// What the Play together pages take from the player before any connection:
// the address as typed, and the text entry the name, address and code are
// typed with, from a keyboard or a gamepad's letter grid.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "shell/game_address.h"
#include "shell/lobby_page.h"
#include "shell/text_entry.h"

namespace quarvex {
namespace {

TEST(GameAddress, EachFormReadsToItsHostPortAndUrlAndABadOneToItsReason) {
  struct Case {
    const char* typed;
    const char* url;  // null: refused
    const char* reason = nullptr;
  };
  const Case cases[] = {
      {"192.168.1.20", "ws://192.168.1.20:7480"},
      {"  box.lan:7000 ", "ws://box.lan:7000"},
      {"[fe80::1]:7481", "ws://[fe80::1]:7481"},
      {"[::1]", "ws://[::1]:7480"},
      {"::1", "ws://[::1]:7480"},
      {"WS://Host:80/", "ws://Host:80/"},
      {"wss://games.example.org/quarvex", "wss://games.example.org:7480/quarvex"},
      {"wss://games.example.org:443", "wss://games.example.org:443"},
      {"", nullptr, "Type the address of the game, like 192.168.1.20."},
      {"http://box.lan", nullptr, "Only ws:// and wss:// addresses lead to a game."},
      {"box.lan:", nullptr, "The port is a number from 1 to 65535."},
      {"box.lan:0", nullptr, "The port is a number from 1 to 65535."},
      {"box.lan:65536", nullptr, "The port is a number from 1 to 65535."},
      {"box.lan:80x", nullptr, "The port is a number from 1 to 65535."},
      {"box.lan:0000080", nullptr, "The port is a number from 1 to 65535."},
      {"[fe80::1", nullptr, "An IPv6 address in [ ] lacks its ]."},
      {"[fe80::1]7480", nullptr, "After ] only :PORT may follow."},
      {"[box.lan]:7480", nullptr, "That is not an IPv6 address."},
      {"ws://", nullptr, "That is not a host name or address."},
      {":7480", nullptr, "That is not a host name or address."},
      {"my box", nullptr, "That is not a host name or address."},
      {"box\x1b[2J", nullptr, "That is not a host name or address."},
      {"box/a b", nullptr,
       "The path after the address holds a space or a character no address has."},
      {"box/\xC3\xA9", nullptr,
       "The path after the address holds a space or a character no address has."},
  };
  for (const Case& c : cases) {
    GameAddress address;
    const char* reason = parse_game_address(c.typed, address);
    if (c.url != nullptr) {
      EXPECT_EQ(reason, nullptr) << c.typed << ": " << reason;
      EXPECT_EQ(address.url(), c.url) << c.typed;
    } else {
      ASSERT_NE(reason, nullptr) << c.typed;
      EXPECT_STREQ(reason, c.reason) << c.typed;
    }
  }
  GameAddress address;
  ASSERT_EQ(parse_game_address(std::string(254, 'a'), address),
            std::string_view("That is not a host name or address."));
}

// One step of editing: keyboard text, an editing key, or a grid move.
struct Step {
  enum Kind { kType, kEdit, kGrid } kind;
  const char* text = "";
  EditKey edit = EditKey::kEnter;
  MenuKey grid = MenuKey::kNone;
};
Step typed(const char* text) {
  return {Step::kType, text};
}
Step key(EditKey k) {
  return {Step::kEdit, "", k};
}
Step pad(MenuKey k) {
  return {Step::kGrid, "", EditKey::kEnter, k};
}

TEST(TextEntry, KeysTheInputMethodAndTheGridEditWithinTheLimitAndFilter) {
  using F = TextEntry::Filter;
  using K = TextEntryOutcome::Kind;
  struct Case {
    const char* name;
    const char* start;
    size_t limit;
    F filter;
    std::vector<Step> steps;
    const char* text;
    K last;
  };
  const Case cases[] = {
      {"typing", "", 24, F::kLine, {typed("Ada"), typed(" L")}, "Ada L", K::kChanged},
      {"committed Japanese", "", 24, F::kLine, {typed("やまだ")}, "やまだ", K::kChanged},
      {"backspace takes a whole character",
       "やまだ",
       24,
       F::kLine,
       {key(EditKey::kBackspace)},
       "やま",
       K::kChanged},
      {"backspace on nothing", "", 24, F::kLine, {key(EditKey::kBackspace)}, "", K::kNone},
      {"the limit counts characters",
       "",
       3,
       F::kLine,
       {typed("やまだたろう")},
       "やまだ",
       K::kChanged},
      {"full: nothing more", "abc", 3, F::kLine, {typed("d")}, "abc", K::kNone},
      {"control characters and bad bytes dropped",
       "",
       24,
       F::kLine,
       {typed("a\tb\x1b\xFF\xE2\x80\xAE"
              "c")},
       "abc",
       K::kChanged},
      {"a start longer than the limit is cut", "abcdef", 4, F::kLine, {}, "abcd", K::kNone},
      {"a code: letters, upper-cased",
       "",
       6,
       F::kLetters,
       {typed("ab1c-dEfgh")},
       "ABCDEF",
       K::kChanged},
      {"enter confirms", "x", 24, F::kLine, {key(EditKey::kEnter)}, "x", K::kConfirmed},
      {"escape cancels", "x", 24, F::kLine, {key(EditKey::kEscape)}, "x", K::kCancelled},
      {"grid: A on the first cell", "", 24, F::kLine, {pad(MenuKey::kChoose)}, "A", K::kChanged},
      {"grid: right, down",
       "",
       24,
       F::kLine,
       {pad(MenuKey::kRight), pad(MenuKey::kDown), pad(MenuKey::kChoose)},
       "L",
       K::kChanged},
      {"grid: left wraps in its row",
       "",
       24,
       F::kLine,
       {pad(MenuKey::kLeft), pad(MenuKey::kChoose)},
       "J",
       K::kChanged},
      {"grid: up wraps to the short last row, to its last cell",
       "",
       24,
       F::kLine,
       {pad(MenuKey::kRight), pad(MenuKey::kRight), pad(MenuKey::kRight), pad(MenuKey::kUp),
        pad(MenuKey::kChoose)},
       "",
       K::kConfirmed},
      {"grid: space, then delete",
       "ab",
       24,
       F::kLine,
       {pad(MenuKey::kUp), pad(MenuKey::kChoose), pad(MenuKey::kRight), pad(MenuKey::kChoose),
        pad(MenuKey::kChoose)},
       "a",
       K::kChanged},
      {"grid: the last row's right wraps within it",
       "",
       24,
       F::kLine,
       {pad(MenuKey::kUp), pad(MenuKey::kLeft), pad(MenuKey::kRight), pad(MenuKey::kChoose)},
       " ",
       K::kChanged},
      {"grid: a digit refused in a code",
       "",
       6,
       F::kLetters,
       {pad(MenuKey::kDown), pad(MenuKey::kDown), pad(MenuKey::kLeft), pad(MenuKey::kChoose)},
       "",
       K::kNone},
      {"grid: B cancels", "x", 24, F::kLine, {pad(MenuKey::kBack)}, "x", K::kCancelled},
  };
  for (const Case& c : cases) {
    TextEntry entry;
    entry.open(c.start, c.limit, c.filter);
    TextEntryOutcome outcome;
    for (const Step& step : c.steps) {
      switch (step.kind) {
        case Step::kType:
          outcome = entry.type(step.text);
          break;
        case Step::kEdit:
          outcome = entry.edit(step.edit);
          break;
        case Step::kGrid:
          outcome = entry.grid(step.grid);
          break;
      }
    }
    EXPECT_EQ(entry.text(), c.text) << c.name;
    EXPECT_EQ(outcome.kind, c.last) << c.name;
  }
}

TEST(TextEntry, TheGridShowsOnceAGamepadMovesAndHidesWhenTheKeyboardTypes) {
  TextEntry entry;
  entry.open("", 24, TextEntry::Filter::kLine);
  EXPECT_FALSE(entry.grid_shown());
  entry.grid(MenuKey::kDown);
  EXPECT_TRUE(entry.grid_shown());
  EXPECT_EQ(entry.grid_focus(), kGridColumns);
  entry.type("a");
  EXPECT_FALSE(entry.grid_shown());
}

// A lobby of four sides: the host on side 0, a ready player on 1, side 2
// open, side 3 the computer's; `own` is the side we hold (-1: watching).
LobbyView lobby(bool host, int own, bool side1_ready = true) {
  LobbyView view;
  view.stage = 2;
  view.host = host;
  view.own_side = own;
  view.host_side = 0;
  view.seats[0] = {LobbySeat::kPlayer, "Ana", false, 12};
  view.seats[1] = {LobbySeat::kPlayer, "Bo", side1_ready, 30};
  view.seats[2] = {LobbySeat::kOpen, "", false, 0};
  view.seats[3] = {LobbySeat::kComputer, "", false, 0};
  return view;
}

TEST(LobbyPage, KeysAskTheServerForWhatTheHostOrAPlayerMayChangeAndRefuseTheRest) {
  using S = LobbySeat;
  constexpr std::array<S, 4> kAsIs = {S::kOpen, S::kOpen, S::kOpen, S::kComputer};
  struct Case {
    const char* what;
    LobbyView view;
    int row;
    MenuKey key;
    LobbyOutcome::Kind outcome;
    LobbyAction::Kind action = LobbyAction::kNone;
    int stage = 2;
    std::array<S, 4> seats = kAsIs;
    int side = -1;
    bool ready = false;
    const char* problem = nullptr;
  };
  const int side = kLobbyFirstSide;
  const Case cases[] = {
      {"host: right on the stage", lobby(true, 0), kLobbyStage, MenuKey::kRight,
       LobbyOutcome::kAsked, LobbyAction::kSetup, 3},
      {"host: stages wrap round", lobby(true, 0), kLobbyStage, MenuKey::kLeft, LobbyOutcome::kAsked,
       LobbyAction::kSetup, 1},
      {"host: an open side goes to the computer",
       lobby(true, 0),
       side + 2,
       MenuKey::kRight,
       LobbyOutcome::kAsked,
       LobbyAction::kSetup,
       2,
       {S::kOpen, S::kOpen, S::kComputer, S::kComputer}},
      {"host: the computer's side closes",
       lobby(true, 0),
       side + 3,
       MenuKey::kRight,
       LobbyOutcome::kAsked,
       LobbyAction::kSetup,
       2,
       {S::kOpen, S::kOpen, S::kOpen, S::kClosed}},
      {"host: left from open closes",
       lobby(true, 0),
       side + 2,
       MenuKey::kLeft,
       LobbyOutcome::kAsked,
       LobbyAction::kSetup,
       2,
       {S::kOpen, S::kOpen, S::kClosed, S::kComputer}},
      {"host: a player's side stays", lobby(true, 0), side + 1, MenuKey::kRight,
       LobbyOutcome::kDenied, LobbyAction::kNone, 2, kAsIs, -1, false, "A player holds that side."},
      {"host: moves to an open side", lobby(true, 0), side + 2, MenuKey::kChoose,
       LobbyOutcome::kAsked, LobbyAction::kTakeSide, 2, kAsIs, 2},
      {"host: starts when everyone is ready", lobby(true, 0), kLobbyReady, MenuKey::kChoose,
       LobbyOutcome::kAsked, LobbyAction::kStart},
      {"host: not while a player is not ready", lobby(true, 0, false), kLobbyReady,
       MenuKey::kChoose, LobbyOutcome::kDenied, LobbyAction::kNone, 2, kAsIs, -1, false,
       "Every player must be ready first."},
      {"player: marks itself ready", lobby(false, 1, false), kLobbyReady, MenuKey::kChoose,
       LobbyOutcome::kAsked, LobbyAction::kReady, 2, kAsIs, -1, true},
      {"player: and not ready again", lobby(false, 1), kLobbyReady, MenuKey::kChoose,
       LobbyOutcome::kAsked, LobbyAction::kReady, 2, kAsIs, -1, false},
      {"player: takes an open side", lobby(false, 1), side + 2, MenuKey::kChoose,
       LobbyOutcome::kAsked, LobbyAction::kTakeSide, 2, kAsIs, 2},
      {"player: not the computer's", lobby(false, 1), side + 3, MenuKey::kChoose,
       LobbyOutcome::kDenied, LobbyAction::kNone, 2, kAsIs, -1, false, "That side is not open."},
      {"player: the stage is the host's", lobby(false, 1), kLobbyStage, MenuKey::kRight,
       LobbyOutcome::kDenied, LobbyAction::kNone, 2, kAsIs, -1, false,
       "The host chooses the stage."},
      {"player: so are the sides", lobby(false, 1), side + 2, MenuKey::kLeft, LobbyOutcome::kDenied,
       LobbyAction::kNone, 2, kAsIs, -1, false, "The host decides what each side is."},
      {"player: its own side asks nothing", lobby(false, 1), side + 1, MenuKey::kChoose,
       LobbyOutcome::kNone},
      {"spectator: has no ready mark", lobby(false, -1), kLobbyReady, MenuKey::kChoose,
       LobbyOutcome::kDenied, LobbyAction::kNone, 2, kAsIs, -1, false,
       "Take an open side to play."},
      {"spectator: takes an open side", lobby(false, -1), side + 2, MenuKey::kChoose,
       LobbyOutcome::kAsked, LobbyAction::kTakeSide, 2, kAsIs, 2},
      {"anyone: Esc leaves", lobby(false, 1), side, MenuKey::kBack, LobbyOutcome::kAsked,
       LobbyAction::kLeave},
      {"anyone: the Leave row leaves", lobby(true, 0), kLobbyLeave, MenuKey::kChoose,
       LobbyOutcome::kAsked, LobbyAction::kLeave},
  };
  for (const Case& c : cases) {
    LobbyPage page;
    page.open(c.view);
    while (page.row() != c.row) page.key(MenuKey::kDown);
    const LobbyOutcome got = page.key(c.key);
    EXPECT_EQ(got.kind, c.outcome) << c.what;
    EXPECT_EQ(got.action.kind, c.action) << c.what;
    if (c.action == LobbyAction::kSetup) {
      EXPECT_EQ(got.action.stage, c.stage) << c.what;
      EXPECT_EQ(got.action.seats, c.seats) << c.what;
    }
    if (c.action == LobbyAction::kTakeSide) {
      EXPECT_EQ(got.action.side, c.side) << c.what;
    }
    if (c.action == LobbyAction::kReady) {
      EXPECT_EQ(got.action.ready, c.ready) << c.what;
    }
    if (c.problem != nullptr) {
      ASSERT_NE(page.problem(), nullptr) << c.what;
      EXPECT_STREQ(page.problem(), c.problem) << c.what;
    } else {
      EXPECT_EQ(page.problem(), nullptr) << c.what;
    }
  }
}

TEST(LobbyPage, OpensWhereEachMemberActsAndUpDownWrapRound) {
  LobbyPage page;
  page.open(lobby(true, 0));
  EXPECT_EQ(page.row(), kLobbyStage);
  page.key(MenuKey::kUp);
  EXPECT_EQ(page.row(), kLobbyLeave);
  page.open(lobby(false, 1));
  EXPECT_EQ(page.row(), kLobbyReady);
  page.open(lobby(false, -1));
  EXPECT_EQ(page.row(), kLobbyFirstSide);
  // The server's next word keeps the focus.
  page.key(MenuKey::kDown);
  page.update(lobby(false, 2));
  EXPECT_EQ(page.row(), kLobbyFirstSide + 1);
  EXPECT_EQ(page.view().own_side, 2);
}

}  // namespace
}  // namespace quarvex
