#include "lang/placeholders.h"

#include <algorithm>

namespace quarvex {

namespace {

bool name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Length of the placeholder "{name}" at `at` (text[at] == '{'), 0 when there is none.
size_t placeholder_at(std::string_view text, size_t at) {
  size_t end = at + 1;
  while (end < text.size() && name_char(text[end])) ++end;
  if (end == at + 1 || end >= text.size() || text[end] != '}') return 0;
  return end + 1 - at;
}

}  // namespace

void fill(std::string_view text, std::span<const TextArg> args, std::string& out) {
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if ((c == '{' || c == '}') && i + 1 < text.size() && text[i + 1] == c) {
      out += c;
      i += 2;
      continue;
    }
    const size_t length = c == '{' ? placeholder_at(text, i) : 0;
    if (length == 0) {
      out += c;
      ++i;
      continue;
    }
    const std::string_view name = text.substr(i + 1, length - 2);
    const auto arg =
        std::find_if(args.begin(), args.end(), [name](const TextArg& a) { return a.name == name; });
    if (arg != args.end()) {
      out += arg->value;
    } else {
      out += text.substr(i, length);
    }
    i += length;
  }
}

std::string filled(std::string_view text, std::span<const TextArg> args) {
  std::string out;
  fill(text, args, out);
  return out;
}

bool placeholder_names(std::string_view text, std::vector<std::string_view>& names,
                       std::string& problem) {
  names.clear();
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '{' && c != '}') {
      ++i;
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == c) {
      i += 2;
      continue;
    }
    const size_t length = c == '{' ? placeholder_at(text, i) : 0;
    if (length == 0) {
      problem = c == '{' ? "a '{' that opens no {name}" : "a '}' that closes nothing";
      return false;
    }
    names.push_back(text.substr(i + 1, length - 2));
    i += length;
  }
  return true;
}

std::string placeholder_mismatch(std::string_view english, std::string_view translation) {
  std::vector<std::string_view> wanted;
  std::vector<std::string_view> given;
  std::string problem;
  if (!placeholder_names(english, wanted, problem)) return "the English text has " + problem;
  if (!placeholder_names(translation, given, problem)) return "the translation has " + problem;
  std::sort(wanted.begin(), wanted.end());
  std::sort(given.begin(), given.end());
  if (wanted == given) return {};
  std::vector<std::string_view> dropped;
  std::vector<std::string_view> added;
  std::set_difference(wanted.begin(), wanted.end(), given.begin(), given.end(),
                      std::back_inserter(dropped));
  std::set_difference(given.begin(), given.end(), wanted.begin(), wanted.end(),
                      std::back_inserter(added));
  std::string what = "the translation";
  for (const std::string_view name : dropped) {
    what += (what.back() == 'n' ? " drops {" : ", drops {") + std::string(name) + "}";
  }
  for (const std::string_view name : added) {
    what += (what.back() == 'n' ? " adds {" : ", adds {") + std::string(name) + "}";
  }
  return what;
}

}  // namespace quarvex
