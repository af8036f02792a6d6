// The simulation's results must not depend on the C library: no source of
// the world or the simulation may call the library's transcendental
// functions (whose last bits differ between libraries), only the game's own
// (world/trig.h). The check reads the sources as tokens, so comments,
// strings and longer names such as game_sin do not count, and a call in any
// spelling (std::sin, ::sinf, sin (x), __builtin_sin) does.

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace quarvex {
namespace {

bool is_library_maths(std::string_view name) {
  if (name.starts_with("__builtin_")) name.remove_prefix(10);
  static constexpr std::array<std::string_view, 27> kNames = {
      "sin",   "cos",   "tan",   "asin",  "acos",  "atan", "atan2", "sinh",   "cosh",
      "tanh",  "asinh", "acosh", "atanh", "exp",   "exp2", "expm1", "log",    "log2",
      "log10", "log1p", "pow",   "cbrt",  "hypot", "erf",  "erfc",  "tgamma", "sincos"};
  for (std::string_view base : kNames) {
    if (name == base) return true;
    if (name.size() == base.size() + 1 && name.starts_with(base) &&
        (name.back() == 'f' || name.back() == 'l')) {
      return true;
    }
  }
  return false;
}

bool is_name_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// "line: name" for every use of a library function in the source: a name
// followed by "(" (a call), or qualified by "::" (std::sin, a pointer to it,
// a using-declaration). Members (a.exp(), p->log()) are not the library's.
std::vector<std::string> library_maths_uses(std::string_view src) {
  std::vector<std::string> found;
  int line = 1;
  size_t i = 0;
  std::string_view previous;  // last punctuation before the current name
  auto skip_to = [&](size_t end) {
    for (; i < end && i < src.size(); ++i) line += src[i] == '\n';
  };
  while (i < src.size()) {
    const char c = src[i];
    const std::string_view rest = src.substr(i);
    if (rest.starts_with("//")) {
      const size_t end = src.find('\n', i);
      skip_to(end == std::string_view::npos ? src.size() : end);
    } else if (rest.starts_with("/*")) {
      const size_t end = src.find("*/", i + 2);
      skip_to(end == std::string_view::npos ? src.size() : end + 2);
    } else if (c == '"' || c == '\'') {
      size_t j = i + 1;
      while (j < src.size() && src[j] != c && src[j] != '\n') j += src[j] == '\\' ? 2 : 1;
      skip_to(j + 1);
      previous = {};
    } else if (std::isdigit(static_cast<unsigned char>(c)) ||
               (c == '.' && i + 1 < src.size() &&
                std::isdigit(static_cast<unsigned char>(src[i + 1])))) {
      // A number, digit separators and exponent signs included.
      size_t j = i + 1;
      while (j < src.size() &&
             (is_name_char(src[j]) || src[j] == '.' || src[j] == '\'' ||
              ((src[j] == '+' || src[j] == '-') &&
               std::string_view("eEpP").find(src[j - 1]) != std::string_view::npos))) {
        ++j;
      }
      i = j;
      previous = {};
    } else if (is_name_char(c)) {
      size_t j = i;
      while (j < src.size() && is_name_char(src[j])) ++j;
      const std::string_view name = src.substr(i, j - i);
      const bool raw_prefix =
          name == "R" || name == "LR" || name == "uR" || name == "UR" || name == "u8R";
      if (raw_prefix && j < src.size() && src[j] == '"') {
        // A raw string: R"delimiter( ... )delimiter".
        const size_t open = src.find('(', j);
        const std::string close = ")" + std::string(src.substr(j + 1, open - j - 1)) + "\"";
        const size_t end = open == std::string_view::npos ? src.size() : src.find(close, open);
        skip_to(end == std::string_view::npos ? src.size() : end + close.size());
        previous = {};
        continue;
      }
      size_t next = j;
      while (next < src.size() && std::isspace(static_cast<unsigned char>(src[next]))) ++next;
      const bool called = next < src.size() && src[next] == '(';
      const bool member = previous == "." || previous == "->";
      if (is_library_maths(name) && !member && (called || previous == "::")) {
        found.push_back(std::to_string(line) + ": " + std::string(name));
      }
      i = j;
      previous = {};
    } else if (std::isspace(static_cast<unsigned char>(c))) {
      skip_to(i + 1);
    } else {
      const bool two = rest.starts_with("::") || rest.starts_with("->");
      previous = rest.substr(0, two ? 2 : 1);
      i += two ? 2 : 1;
    }
  }
  return found;
}

using Uses = std::vector<std::string>;

TEST(LibraryMathsCheck, FindsEveryWayOfCallingTheLibrary) {
  EXPECT_EQ(library_maths_uses("double a = std::sin(x);"), Uses{"1: sin"});
  EXPECT_EQ(library_maths_uses("a = ::cosf(x);\nb = atan2 (y, x);"), (Uses{"1: cosf", "2: atan2"}));
  EXPECT_EQ(library_maths_uses("y = __builtin_sin(x) + __builtin_expl(x);"),
            (Uses{"1: __builtin_sin", "1: __builtin_expl"}));
  EXPECT_EQ(library_maths_uses("using std::pow;\nauto f = &std::log;"), (Uses{"1: pow", "2: log"}));
  EXPECT_EQ(library_maths_uses("x = 1'000 + tan(\n  h);"), Uses{"1: tan"});
  EXPECT_EQ(library_maths_uses("a = 1e-5 + std::\n  sin(x);"), Uses{"2: sin"});
}

TEST(LibraryMathsCheck, IgnoresCommentsStringsMembersAndOtherNames) {
  EXPECT_EQ(library_maths_uses("// std::sin(x) was here\n/* cos(x)\n tan(x) */"), Uses{});
  EXPECT_EQ(library_maths_uses(R"src(puts("sin(x)"); c = 'x'; r = R"(cos(x))";)src"), Uses{});
  EXPECT_EQ(library_maths_uses("a = game_sin(x) + game_atan2(y, x) + sine(x) + cosh_table[1];"),
            Uses{});
  EXPECT_EQ(library_maths_uses("a = s.sin(x) + p->exp(1); double log = 2; int exp = 3;"), Uses{});
  EXPECT_EQ(library_maths_uses("a = std::sqrt(x) + std::abs(y) + std::floor(z);"), Uses{});
  // A comment does not hide the call after it, and the line count goes on.
  EXPECT_EQ(library_maths_uses("/* a\nb */ x = sin(y); // cos(z)\nz = pow(a, b);"),
            (Uses{"2: sin", "3: pow"}));
}

TEST(LibraryMathsCheck, NoSourceOfTheWorldOrTheSimulationCallsTheLibrary) {
  int files = 0;
  for (const char* folder : {"src/world", "src/sim"}) {
    const std::filesystem::path root = std::filesystem::path(QUARVEX_SOURCE_DIR) / folder;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string text{std::istreambuf_iterator<char>(in), {}};
      ++files;
      for (const std::string& use : library_maths_uses(text)) {
        ADD_FAILURE() << entry.path().string() << ":" << use
                      << ": calls the C library; use the game's own (world/trig.h)";
      }
    }
  }
  EXPECT_GT(files, 20);
}

}  // namespace
}  // namespace quarvex
