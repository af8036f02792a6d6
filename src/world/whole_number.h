#pragma once
// Strict parsing of whole decimal numbers from untrusted text: an optional
// minus sign and digits, nothing else, within given bounds.

#include <charconv>
#include <cstdint>
#include <string_view>

namespace quarvex {

enum class NumberCheck { kOk, kNotANumber, kOutOfRange };

inline NumberCheck parse_whole_number(std::string_view text, int64_t lowest, int64_t highest,
                                      int64_t& out) {
  if (text.empty()) return NumberCheck::kNotANumber;
  int64_t value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (error == std::errc::invalid_argument || end != last) return NumberCheck::kNotANumber;
  if (error == std::errc::result_out_of_range || value < lowest || value > highest) {
    return NumberCheck::kOutOfRange;
  }
  out = value;
  return NumberCheck::kOk;
}

}  // namespace quarvex
