#pragma once
// The texts of the language the player chose, for every screen:
//
//   const Texts& t = shell.texts();
//   draw(t.tr("Resume"));                                     // "Weiter"
//   draw(t.trf("Volume {level}%", {{"level", "80"}}));        // "Lautstärke 80 %"
//   draw(t.tr("language name", "English"));                   // with a context
//
// The English text is the message id and what shows when the catalogue has
// no translation. A text kept in a table is marked with N_("...") there and
// passed through tr() where it is shown. scripts/update-po.sh collects every
// text so marked into po/quarvex.pot; docs/translating.md says more.

#include <initializer_list>
#include <set>
#include <span>
#include <string>

#include "lang/catalogue.h"
#include "lang/face.h"
#include "lang/placeholders.h"

namespace quarvex {

// Marks a text for the catalogue where it is only stored; tr() translates it
// where it is shown.
constexpr const char* N_(const char* english) {
  return english;
}

class Texts {
 public:
  // English: every text as the code writes it, in the Latin face.
  Texts() = default;
  // `catalogue` must outlive the Texts; null is English.
  Texts(const Catalogue* catalogue, TextFace face) : catalogue_(catalogue), face_(face) {}

  const char* tr(const char* english) const;
  const char* tr(const char* context, const char* english) const;
  // The translation with its placeholders filled in.
  std::string trf(const char* english, std::initializer_list<TextArg> args) const {
    return trf(english, std::span<const TextArg>(args.begin(), args.size()));
  }
  std::string trf(const char* english, std::span<const TextArg> args) const;

  TextFace face() const { return face_; }

  // For tests: every English text asked for from now on is added to `asked`
  // (null stops it).
  void note_asked_in(std::set<std::string>* asked) { asked_ = asked; }

 private:
  void note(const char* context, const char* english) const;

  const Catalogue* catalogue_ = nullptr;
  TextFace face_ = TextFace::kLatin;
  std::set<std::string>* asked_ = nullptr;
};

}  // namespace quarvex
