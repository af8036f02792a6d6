// Messages quote text from files; nothing a file holds may reach the terminal raw.

#include <gtest/gtest.h>

#include <string>

#include "replay/key_script.h"
#include "world/shown_text.h"

namespace quarvex {
namespace {

TEST(ShownText, EscapesWhatATerminalWouldActOn) {
  struct Case {
    std::string bytes;
    std::string shown;
  };
  const Case cases[] = {
      {"plain words", "plain words"},
      {"本部 and 戦車Ａ", "本部 and 戦車Ａ"},
      {"tab\there", "tab\\there"},
      {"line\nbreak\r", "line\\nbreak\\r"},
      {"back\\slash", "back\\\\slash"},
      {std::string("nul\0byte", 8), "nul\\x00byte"},
      {"\x1B[2J\x1B]0;title\x07", "\\x1B[2J\\x1B]0;title\\x07"},
      {"del\x7F", "del\\x7F"},
      // Invalid UTF-8: a lone continuation byte, a cut sequence, an overlong
      // slash, a surrogate, a value above U+10FFFF.
      {"\x80", "\\x80"},
      {"\xE6\x9C", "\\xE6\\x9C"},
      {"\xC0\xAF", "\\xC0\\xAF"},
      {"\xED\xA0\x80", "\\xED\\xA0\\x80"},
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
      {"\xCC\xAA", "\xCC\xAA"},  // a combining mark is printable
      // C1 controls, bidirectional overrides and line separators print nothing
      // and rearrange the rest of the line.
      {"\xC2\x9B"
       "31m",
       "\\u{009B}31m"},
      {"abc\xE2\x80\xAE"
       "cba",
       "abc\\u{202E}cba"},
      {"\xE2\x81\xA6x\xE2\x81\xA9", "\\u{2066}x\\u{2069}"},
      {"a\xE2\x80\xA8"
       "b",
       "a\\u{2028}b"},
      {"\xEF\xBB\xBFstart", "\\u{FEFF}start"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(shown_text(c.bytes), c.shown) << c.shown;
    EXPECT_EQ(quoted_text(c.bytes), "'" + c.shown + "'");
  }
}

TEST(ShownText, LongTextIsCutAfterTheLimitInCharacters) {
  EXPECT_EQ(shown_text("abcdef", 4), "abcd...");
  EXPECT_EQ(shown_text("abcd", 4), "abcd");
  // Characters, not bytes: a cut never splits a sequence.
  EXPECT_EQ(shown_text("本部本部", 3), "本部本...");
  EXPECT_EQ(shown_text(std::string(1000, 'x')).size(), kShownCharacters + 3);
}

TEST(ShownText, AReplayOfBinaryBytesIsReportedWithoutThem) {
  std::string binary =
      "\x7F"
      "ELF\x02\x01\x01";
  binary += std::string("\0\0\x1B[31m\xFF\xFE\n", 10);
  KeyScript script;
  std::string error;
  ASSERT_FALSE(parse_key_script(binary, "game.qvr", script, error));
  EXPECT_EQ(error,
            "game.qvr:1: '\\x7FELF\\x02\\x01\\x01\\x00\\x00\\x1B[31m\\xFF\\xFE' is not a "
            "frame number or 'seed'");
  for (const char c : error) EXPECT_TRUE(c >= ' ' && c < '\x7F') << error;
}

}  // namespace
}  // namespace quarvex
