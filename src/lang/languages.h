#pragma once
// The languages the game can show: English, always, and one more for every
// catalogue "<code>.mo" in the data folder's lang/ folder. Which one shows
// follows the setting `language`: "auto" takes the first of the system's
// preferred languages that has a catalogue, else English.

#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lang/catalogue.h"
#include "lang/face.h"
#include "lang/texts.h"

namespace quarvex {

constexpr int kMaxLanguages = 32;

struct Language {
  std::string code;     // "en", "de", "ja", "pt_BR"
  Catalogue catalogue;  // empty for English
  TextFace face = TextFace::kLatin;
};

// "en", "de", "pt_BR": two or three lower-case letters, then optionally '_'
// and a region of two to eight letters or digits.
bool is_language_code(std::string_view code);

class LanguageSet {
 public:
  // English alone.
  LanguageSet();

  // Adds every "<code>.mo" of `folder` (a missing folder adds none); each
  // catalogue that cannot be used, and each entry left out, adds a line to
  // `problems`.
  void add_folder(const std::string& folder, std::vector<std::string>& problems);
  // Adds one catalogue; false with the reason when the bytes are not one.
  // A second catalogue for a code replaces the first.
  bool add(const std::string& code, std::string bytes, std::string& error,
           std::vector<std::string>& dropped);

  int count() const { return static_cast<int>(languages_.size()); }
  // English first, then by code.
  const Language& at(int i) const { return *languages_[static_cast<size_t>(i)]; }
  // -1 when there is no such language.
  int find(std::string_view code) const;
  Texts texts(int i) const;
  // The language's name in itself: "English", "Deutsch", "日本語".
  const char* own_name(int i) const;

  // For tests: the Texts made from now on add every English text they are
  // asked for to `asked` (see Texts::note_asked_in).
  void note_asked_in(std::set<std::string>* asked) { asked_ = asked; }

 private:
  std::vector<std::unique_ptr<Language>> languages_;
  std::set<std::string>* asked_ = nullptr;
};

// The language for a locale ("de_DE.UTF-8", "ja-JP", "de"): its own
// catalogue, else its language's, else one of another region of its
// language; -1 for none.
int language_for(const LanguageSet& set, std::string_view locale);

// The language a setting asks for: the language of that code, or for
// "auto" (and a code without a catalogue) the first of `preferred` that has
// one ("de_DE.UTF-8", "ja-JP" and "de" all find "de"), else English (0).
int choose_language(const LanguageSet& set, std::string_view setting,
                    std::span<const std::string> preferred);

}  // namespace quarvex
