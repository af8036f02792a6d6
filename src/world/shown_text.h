#pragma once
// Text taken from a file, made safe to put in a message. A damaged or hostile
// file must not write raw bytes to the player's terminal (a control sequence
// can move the cursor, retitle the window or hide the rest of the line) nor
// invalid UTF-8 into a message box, so every reader quotes file content
// through this.

#include <cstddef>
#include <string>
#include <string_view>

namespace quarvex {

// Most characters of file content a message shows; longer text ends in "...".
constexpr size_t kShownCharacters = 60;

// `bytes` as printable UTF-8: backslash as \\, tab, newline and carriage
// return as \t \n \r, other control characters and every byte that is not
// part of valid UTF-8 as \xNN, and the invisible characters that reorder or
// break lines (U+0080..U+009F, U+200E, U+200F, U+2028..U+202E,
// U+2066..U+2069, U+FEFF) as \u{NNNN}. At most `limit` characters of the
// input are shown.
std::string shown_text(std::string_view bytes, size_t limit = kShownCharacters);

// Length of the valid UTF-8 sequence at the start of `s` (not empty) and its
// code point; 0 when the bytes there are not one.
size_t utf8_sequence(std::string_view s, char32_t& code_point);

// Characters that print nothing yet change what the rest of the line looks
// like (line and paragraph separators, direction marks and overrides).
bool invisible_control(char32_t c);

// True when `bytes` is valid UTF-8 (no overlong forms, surrogates or values
// above U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

// True when `bytes` is valid UTF-8 without control characters or the
// invisible characters shown_text escapes; `line_breaks` allows tab, newline
// and carriage return.
bool is_plain_text(std::string_view bytes, bool line_breaks);

// The same between single quotes: 'text'.
std::string quoted_text(std::string_view bytes, size_t limit = kShownCharacters);

}  // namespace quarvex
