// The player's language: compiled catalogues read as the game reads them
// (what msgfmt writes, and damaged files that must be refused with a reason),
// placeholders that a translation may move but not lose, and which language
// a setting and the system's preferences choose.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "built_languages.h"
#include "lang/catalogue.h"
#include "lang/languages.h"
#include "lang/message.h"
#include "lang/placeholders.h"
#include "test_files.h"

namespace quarvex {
namespace {

struct Entry {
  std::string key;  // context '\4' English, or the English alone
  std::string translation;
};

void put_u32(std::string& out, size_t at, uint32_t v, bool big_endian) {
  for (int i = 0; i < 4; ++i) {
    const int shift = big_endian ? 24 - 8 * i : 8 * i;
    out[at + i] = static_cast<char>((v >> shift) & 0xFF);
  }
}

// A catalogue as msgfmt lays it out: header, the two tables, then the strings.
std::string mo_bytes(std::vector<Entry> entries, bool big_endian = false) {
  std::sort(entries.begin(), entries.end(),
            [](const Entry& a, const Entry& b) { return a.key < b.key; });
  const auto n = static_cast<uint32_t>(entries.size());
  const uint32_t originals = 28;
  const uint32_t translations = originals + 8 * n;
  std::string out(translations + 8 * n, '\0');
  put_u32(out, 0, 0x950412DEu, big_endian);
  put_u32(out, 8, n, big_endian);
  put_u32(out, 12, originals, big_endian);
  put_u32(out, 16, translations, big_endian);
  for (uint32_t i = 0; i < n; ++i) {
    for (const bool original : {true, false}) {
      const std::string& s = original ? entries[i].key : entries[i].translation;
      const uint32_t table = original ? originals : translations;
      put_u32(out, table + 8 * i, static_cast<uint32_t>(s.size()), big_endian);
      put_u32(out, table + 8 * i + 4, static_cast<uint32_t>(out.size()), big_endian);
      out += s;
      out += '\0';
    }
  }
  return out;
}

const std::vector<Entry> kGood = {
    {"", "Language: de\nContent-Type: text/plain; charset=UTF-8\nX-Quarvex-Face: latin\n"},
    {"Resume", "Weiter"},
    {"Volume {level}%", "Lautstärke {level} %"},
    {"{key} added to {action}.", "{key} zu „{action}“ hinzugefügt."},
    {std::string("language name\4English"), "Deutsch"},
    {"Quit", ""},  // untranslated
    {std::string("apple\0apples", 12), std::string("Apfel\0Äpfel", 12)},
};

TEST(Catalogue, ReadsWhatMsgfmtWritesAndFindsByTextAndContext) {
  for (const bool big_endian : {false, true}) {
    Catalogue c;
    std::string error;
    std::vector<std::string> dropped;
    ASSERT_TRUE(c.read(mo_bytes(kGood, big_endian), error, dropped)) << error;
    EXPECT_TRUE(dropped.empty());
    EXPECT_STREQ(c.find("Resume"), "Weiter");
    EXPECT_STREQ(c.find("Volume {level}%"), "Lautstärke {level} %");
    EXPECT_STREQ(c.find("language name", "English"), "Deutsch");
    EXPECT_EQ(c.find("English"), nullptr);  // only with its context
    EXPECT_EQ(c.find("other", "English"), nullptr);
    EXPECT_EQ(c.find("Quit"), nullptr);  // an empty translation is none
    EXPECT_EQ(c.find("Resum"), nullptr);
    EXPECT_STREQ(c.find("apple"), "Apfel");  // a plural entry's first form
    EXPECT_EQ(c.header("Language"), "de");
    EXPECT_EQ(c.header("X-Quarvex-Face"), "latin");
    EXPECT_EQ(c.header("Lang"), "");
  }

  // The catalogues the build compiled with msgfmt.
  const Texts ja = testing::built_texts("ja");
  EXPECT_STREQ(ja.tr("Game settings"), "ゲーム設定");
  EXPECT_STREQ(ja.tr("language name", "English"), "日本語");
  EXPECT_EQ(ja.face(), TextFace::kJapanese);
  EXPECT_STREQ(ja.tr("a text no catalogue has"), "a text no catalogue has");
  EXPECT_EQ(testing::built_texts("de").face(), TextFace::kLatin);
}

TEST(Catalogue, ADamagedFileIsRefusedWithItsReasonAndLeavesTheCatalogueEmpty) {
  const std::string good = mo_bytes(kGood);
  auto changed = [&good](size_t at, uint32_t value) {
    std::string bytes = good;
    put_u32(bytes, at, value, false);
    return bytes;
  };
  const uint32_t first_string = 28 + 16 * static_cast<uint32_t>(kGood.size());
  std::string no_nul = good;
  no_nul.back() = 'x';
  std::string not_utf8 = mo_bytes({{"Resume", "Weiter\xC3"}});
  std::string latin1 = mo_bytes({{"", "Content-Type: text/plain; charset=ISO-8859-1\n"}});
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "too short"},
      {good.substr(0, 27), "too short"},
      {changed(0, 0x12345678u), "not a compiled catalogue"},
      {changed(4, 2u << 16), "revision 2"},
      {changed(8, Catalogue::kMaxEntries + 1), "at most 65536"},
      {changed(8, 1000), "tables reach past the end"},
      {changed(12, 0xFFFFFFF0u), "tables reach past the end"},
      {changed(28, 0x7FFFFFFFu), "entry 0 reaches past the end"},
      {changed(32, first_string + 100000), "entry 0 reaches past the end"},
      {no_nul, "reaches past the end"},
      {not_utf8, "entry 0 is not UTF-8"},
      {latin1, "written in ISO-8859-1"},
      {std::string(Catalogue::kMaxBytes + 1, '\0'), "larger than"},
  };
  for (const auto& [bytes, reason] : cases) {
    Catalogue c;
    std::string error;
    std::vector<std::string> dropped;
    ASSERT_TRUE(c.read(good, error, dropped));
    EXPECT_FALSE(c.read(bytes, error, dropped)) << reason;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_EQ(c.size(), 0u) << reason;
    EXPECT_EQ(c.find("Resume"), nullptr) << reason;
  }
}

TEST(Catalogue, ATranslationThatLosesOrRenamesAPlaceholderIsLeftOutAsIsAnEmptyContext) {
  Catalogue c;
  std::string error;
  std::vector<std::string> dropped;
  ASSERT_TRUE(c.read(mo_bytes({{"Volume {level}%", "Lautstärke %"},
                               {"{key} added to {action}.", "{action}: {key} hinzugefügt."},
                               {"Saved in {path}", "Gespeichert in {pfad}"},
                               {"Resume", "Weiter {"},
                               {std::string("\4Quit"), "Beenden"}}),
                     error, dropped));
  EXPECT_EQ(c.find("Volume {level}%"), nullptr);
  EXPECT_STREQ(c.find("{key} added to {action}."), "{action}: {key} hinzugefügt.");
  EXPECT_EQ(c.find("Saved in {path}"), nullptr);
  EXPECT_EQ(c.find("Resume"), nullptr);
  EXPECT_EQ(c.find("Quit"), nullptr);
  ASSERT_EQ(dropped.size(), 4u);
  const std::string all = dropped[0] + "|" + dropped[1] + "|" + dropped[2] + "|" + dropped[3];
  for (const char* what : {"\"Volume {level}%\": the translation drops {level}; the English text",
                           "\"Saved in {path}\": the translation drops {path}, adds {pfad}",
                           "\"Resume\": the translation has a '{' that opens no {name}",
                           "\"Quit\": an empty context; left out"}) {
    EXPECT_NE(all.find(what), std::string::npos) << all;
  }
}

TEST(Placeholders, FilledByNameInAnyOrderWithFaultsLeftInSight) {
  const TextArg args[] = {{"key", "F1"}, {"action", "help"}, {"n", "3"}};
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{key}: {action}", "F1: help"},
      {"{action} <- {key} {key}", "help <- F1 F1"},
      {"{missing} {n}", "{missing} 3"},
      {"{{key}} {n}}}", "{key} 3}"},
      {"{ key} {key", "{ key} {key"},
      {"100% {n}", "100% 3"},
      {"", ""},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(filled(text, args), expected) << text;

  const std::vector<std::pair<std::string, std::string>> mismatches = {
      {"{a} {b}", ""},
      {"{b} and {a}", ""},
      {"{a}", "the translation drops {b}"},
      {"{a} {b} {c}", "the translation adds {c}"},
      {"{a} {a}", "the translation drops {b}, adds {a}"},
      {"{a} {B}", "the translation drops {b}, adds {B}"},
      {"{a} {b", "the translation has a '{' that opens no {name}"},
      {"{a} {b}}", "the translation has a '}' that closes nothing"},
  };
  for (const auto& [translation, expected] : mismatches) {
    EXPECT_EQ(placeholder_mismatch("{a} {b}", translation), expected) << translation;
  }
  EXPECT_EQ(placeholder_mismatch("{a", "{a}"), "the English text has a '{' that opens no {name}");

  const Message m{"{count} of {all}", {{"count", "2"}, {"all", "5"}}};
  EXPECT_EQ(in_english(m), "2 of 5");
}

TEST(Languages, ChosenByTheSettingElseTheSystemsFirstLanguageWithACatalogue) {
  LanguageSet set;
  std::string error;
  std::vector<std::string> dropped;
  for (const char* code : {"ja", "de", "pt_BR"}) {
    ASSERT_TRUE(set.add(code, mo_bytes({{"", "Language: x\n"}}), error, dropped));
  }
  ASSERT_EQ(set.count(), 4);
  // English first, then by code.
  EXPECT_EQ(set.at(0).code, "en");
  EXPECT_EQ(set.at(1).code, "de");
  EXPECT_EQ(set.at(3).code, "pt_BR");
  struct Case {
    const char* setting;
    std::vector<std::string> preferred;
    const char* chosen;
  };
  const Case cases[] = {
      {"auto", {}, "en"},
      {"auto", {"de_DE"}, "de"},
      {"auto", {"fr_FR", "ja_JP.UTF-8"}, "ja"},
      {"auto", {"en_US", "de"}, "en"},
      {"auto", {"C"}, "en"},
      {"auto", {"DE-at"}, "de"},
      {"auto", {"pt_PT"}, "pt_BR"},
      {"auto", {"pt-BR"}, "pt_BR"},
      {"auto", {"sr_RS@latin", "ja"}, "ja"},
      {"de", {"ja"}, "de"},
      {"de_CH", {"ja"}, "de"},
      {"en", {"ja"}, "en"},
      {"fr", {"ja"}, "ja"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(set.at(choose_language(set, c.setting, c.preferred)).code, c.chosen)
        << c.setting << " " << (c.preferred.empty() ? "" : c.preferred[0]);
  }
}

TEST(Languages, EveryCatalogueOfTheFolderThatIsOneAndNamedAsALanguage) {
  testing::TempDir dir;
  const std::string german = mo_bytes({{"", "Language: de\n"},
                                       {std::string("language name\4English"), "Deutsch"},
                                       {"Volume {level}%", "Lautstärke {stufe}"}});
  testing::write_text(dir.file("de.mo"), german);
  testing::write_text(dir.file("ja.mo"), "this is no catalogue of the game's texts");
  testing::write_text(dir.file("Deutsch.mo"), german);
  testing::write_text(dir.file("en.mo"), german);
  testing::write_text(dir.file("README"), "the catalogues");
  LanguageSet set;
  std::vector<std::string> problems;
  set.add_folder(dir.path(), problems);
  ASSERT_EQ(set.count(), 2);
  EXPECT_STREQ(set.own_name(0), "English");
  EXPECT_STREQ(set.own_name(1), "Deutsch");
  ASSERT_EQ(problems.size(), 4u);
  EXPECT_NE(problems[0].find("Deutsch.mo: not named as a language"), std::string::npos);
  EXPECT_NE(problems[1].find("de.mo: \"Volume {level}%\": the translation drops {level}"),
            std::string::npos);
  EXPECT_NE(problems[2].find("en.mo: not named as a language"), std::string::npos);
  EXPECT_NE(problems[3].find("ja.mo: not a compiled catalogue (.mo); left out"), std::string::npos);

  // A folder of more catalogues than the game shows keeps the first ones.
  for (int i = 0; i < kMaxLanguages + 2; ++i) {
    const std::string code =
        std::string("a") + static_cast<char>('a' + i / 26) + static_cast<char>('a' + i % 26);
    testing::write_text(dir.file(code + ".mo"), german);
  }
  LanguageSet many;
  problems.clear();
  many.add_folder(dir.path(), problems);
  EXPECT_EQ(many.count(), kMaxLanguages);
  set.add_folder(dir.path() + "/missing", problems);
  EXPECT_EQ(set.count(), 2);
}

TEST(Languages, CodesAreLanguagesWithAnOptionalRegion) {
  for (const char* good : {"de", "ja", "pt_BR", "sr_Latn", "ast", "zh_HK"}) {
    EXPECT_TRUE(is_language_code(good)) << good;
  }
  for (const char* bad :
       {"", "d", "DE", "deu_", "de-DE", "de_D", "de_DEUTSCHLAND", "../de", "d e", "auto_"}) {
    EXPECT_FALSE(is_language_code(bad)) << bad;
  }
}

}  // namespace
}  // namespace quarvex
