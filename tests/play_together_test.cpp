// What the Play together pages take from the player before any connection:
// the address as typed, and the text entry the name, address and code are
// typed with, from a keyboard or a gamepad's letter grid.

#include <gtest/gtest.h>

#include <string>

#include "shell/game_address.h"
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

}  // namespace
}  // namespace quarvex
