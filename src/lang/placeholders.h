#pragma once
// Named placeholders in texts: "{name} added to {action}." A translation may
// put them in any order but must keep every one of them, by name. "{{" and
// "}}" stand for a brace of their own.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarvex {

struct TextArg {
  std::string_view name;
  std::string_view value;
};

// Appends `text` to `out` with each placeholder replaced by the value of the
// argument of its name. A placeholder without an argument, or a brace that
// opens no placeholder, is kept as written, so that a fault shows on the
// screen instead of hiding a word.
void fill(std::string_view text, std::span<const TextArg> args, std::string& out);
std::string filled(std::string_view text, std::span<const TextArg> args);

// The names of the placeholders in `text`, in order, repeats kept. False, with
// what is wrong in `problem`, when a brace is unmatched or a name is empty or
// holds anything but letters, digits and '_'.
bool placeholder_names(std::string_view text, std::vector<std::string_view>& names,
                       std::string& problem);

// Empty when `translation` has exactly the placeholders of `english` (each
// name as often), else what differs: "the translation drops {level}, adds
// {leve}", or what is wrong with the braces of either.
std::string placeholder_mismatch(std::string_view english, std::string_view translation);

}  // namespace quarvex
