#pragma once
// The description beside a player's stage file: a small TOML file that
// names the stage and says which ground picture it plays on.
//
//   title = "Two rivers"
//   ground = 2                      # 1..3: the game's ground pictures
//   author = "Jo"                   # optional
//   notes = "Hold the bridge."      # optional
//
// Descriptions travel between players, so they are read as untrusted text:
// bounded lengths, no control characters where a line is shown, and every
// problem one message naming the file and the line.

#include <string>
#include <string_view>
#include <vector>

namespace quarvex {

constexpr size_t kMaxDescriptionBytes = 64 * 1024;
constexpr size_t kMaxTitleCharacters = 60;
constexpr size_t kMaxAuthorCharacters = 60;
constexpr size_t kMaxNotesCharacters = 2000;
constexpr int kGroundCount = 3;

struct StageDescription {
  std::string title;
  int ground = 1;  // 1..3
  std::string author;
  std::string notes;  // may hold line breaks
  bool operator==(const StageDescription&) const = default;
};

// Reads a description. Every problem adds one line "<file>:<line>: <what>"
// (a missing entry, which has no line, "<file>: <what>"); the description is
// usable only when none was added. Entries it does not know are passed over,
// so a description written by a later version still reads.
bool parse_stage_description(std::string_view text, const std::string& file_name,
                             StageDescription& out, std::vector<std::string>& errors);

// The TOML text of a description; parse_stage_description reads it back as
// the same description.
std::string stage_description_text(const StageDescription& d);

// Checks a description made in the game (the editor's title): the same
// rules as for one read from a file. Empty when it is sound, else what is
// wrong.
std::string description_problem(const StageDescription& d);

// Characters (UTF-8 code points) of valid UTF-8 text.
size_t character_count(std::string_view text);

}  // namespace quarvex
