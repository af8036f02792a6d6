// Checks a compiled catalogue as the game will read it, for the build:
//
//   quarvex-po-check CODE NAME FILE.mo
//
// CODE is the language the file must be for, NAME what to call it in
// messages (its .po file). Every translation must keep the placeholders of
// its English text, by name ("{level}" stays "{level}", in any place); the
// header must name the language and a known face; the language must name
// itself. Each problem is one line on standard error; the status is 1 when
// there is any.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "lang/catalogue.h"
#include "lang/languages.h"

namespace {

using quarvex::Catalogue;

int check(const std::string& code, const std::string& name, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) {
    std::fprintf(stderr, "%s: cannot read %s\n", name.c_str(), path.c_str());
    return 1;
  }
  Catalogue catalogue;
  std::string error;
  std::vector<std::string> problems;
  if (!catalogue.read(bytes.str(), error, problems)) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), error.c_str());
    return 1;
  }
  if (!quarvex::is_language_code(code)) problems.push_back("'" + code + "' is not a language code");
  if (catalogue.header("Language") != code) {
    problems.push_back("the header says \"Language: " + std::string(catalogue.header("Language")) +
                       "\"; the file is for " + code);
  }
  const std::string_view face = catalogue.header("X-Quarvex-Face");
  if (!face.empty() && face != "latin" && face != "japanese") {
    problems.push_back("X-Quarvex-Face is \"" + std::string(face) + "\": latin or japanese");
  }
  if (catalogue.find("language name", "English") == nullptr) {
    problems.push_back(
        "the language's own name (\"English\" in the context \"language name\") "
        "is not translated");
  }
  for (const std::string& problem : problems) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), problem.c_str());
  }
  return problems.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: quarvex-po-check CODE NAME FILE.mo\n");
    return 2;
  }
  return check(argv[1], argv[2], argv[3]);
}
