#pragma once
// The languages as the build compiled them (build/data/lang), for tests
// that look at the screens in a language: read once.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lang/languages.h"

namespace quarvex::testing {

inline const LanguageSet& built_languages() {
  static const LanguageSet languages = [] {
    LanguageSet set;
    std::vector<std::string> problems;
    set.add_folder(std::string(QUARVEX_DATA_DIR) + "/lang", problems);
    for (const std::string& problem : problems) ADD_FAILURE() << problem;
    return set;
  }();
  return languages;
}

// The texts of a built language; the test fails when there is none.
inline Texts built_texts(const char* code) {
  const LanguageSet& set = built_languages();
  const int i = set.find(code);
  EXPECT_GE(i, 0) << "no catalogue for " << code << " in " << QUARVEX_DATA_DIR << "/lang";
  return set.texts(i);
}

}  // namespace quarvex::testing
