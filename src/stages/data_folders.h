#pragma once
// Where the game's files are. The game's own data (installed beside the
// program, or the folder the build filled) is always the base; a folder
// given with --data lies over it and adds files or replaces single ones, so
// a folder holding only a stage file plays that stage with the game's own
// pictures and sounds. The folder the game is started from plays no part.

#include <string>
#include <string_view>
#include <vector>

namespace quarvex {

struct DataFolders {
  std::vector<std::string> folders;  // the first that holds a file gives it; the base last

  // The path of `name` (a file name, or "sounds/x.wav") in the first folder
  // that holds it as a regular file; when none does, its path in the base,
  // which then names the missing file in messages.
  std::string find(std::string_view name) const;
  // True when some folder holds `name`.
  bool holds(std::string_view name) const;
  // "DIR" or "DIR, then BASE": where files were looked for, for messages.
  std::string description() const;
};

// The game's own data: the installed data beside the program
// (<program's folder>/<from_binary>) when that folder exists, else
// `built` (the folder the build filled). An installed game therefore never
// reads a build tree.
std::string own_data_folder(const std::string& from_binary, const std::string& built);

// The folders of a run: `option` (--data, may be empty) over `own`.
DataFolders data_folders(const std::string& option, const std::string& own);

}  // namespace quarvex
