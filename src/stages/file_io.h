#pragma once
// Reading files of bounded size, and writing files so that a failure never
// leaves half a file under the real name.

#include <cstdint>
#include <string>
#include <vector>

namespace quarvex {

// Reads a regular file of at most `max_bytes`. False with a message naming
// the file when it cannot be opened or read, is not a regular file (a
// folder, a pipe that would never end) or is larger.
bool read_small_file(const std::string& path, size_t max_bytes, std::vector<uint8_t>& out,
                     std::string& error);
bool read_small_file(const std::string& path, size_t max_bytes, std::string& out,
                     std::string& error);

// Writes through a temporary file in the same folder, then renames it into
// place. With `replace` false an existing file is left alone and the write
// refused. False with a message naming the file.
bool write_file_atomically(const std::string& path, const std::string& bytes, bool replace,
                           std::string& error);

}  // namespace quarvex
