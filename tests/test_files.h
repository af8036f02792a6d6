#pragma once
// Helpers for tests that write files: a temporary folder removed at the end,
// stage files built from records, whole-file reads.

#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "world/stage.h"

namespace quarvex::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quarvex-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline StageRecord record(int kind, int side, int x, int y, int heading = 0, int mode = 1,
                          int goal_x = 0, int goal_y = 0) {
  return StageRecord{static_cast<int16_t>(x),
                     static_cast<int16_t>(y),
                     static_cast<int16_t>(heading),
                     static_cast<int8_t>(kind),
                     static_cast<int8_t>(side),
                     static_cast<uint8_t>(mode),
                     0,
                     static_cast<int16_t>(goal_x),
                     static_cast<int16_t>(goal_y)};
}

// A stage file: the count (by default the number of records) and the records.
inline std::vector<uint8_t> stage_bytes(const std::vector<StageRecord>& records, int count = -1) {
  const auto n = static_cast<uint16_t>(count < 0 ? records.size() : static_cast<size_t>(count));
  std::vector<uint8_t> bytes{static_cast<uint8_t>(n & 0xFF), static_cast<uint8_t>(n >> 8)};
  for (const StageRecord& r : records) {
    uint8_t buffer[kStageRecordSize];
    encode_stage_record(r, buffer);
    bytes.insert(bytes.end(), buffer, buffer + kStageRecordSize);
  }
  return bytes;
}

inline void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline void write_text(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

inline std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs a program with arguments (each single-quoted for the shell) in a folder.
inline RunResult run_program(const std::string& program, const std::vector<std::string>& args,
                             const TempDir& dir) {
  auto quote = [](const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
  };
  std::string command = "cd " + quote(dir.path()) + " && " + quote(program);
  for (const std::string& a : args) command += " " + quote(a);
  const std::string out_file = dir.file(".stdout");
  const std::string err_file = dir.file(".stderr");
  command += " >" + quote(out_file) + " 2>" + quote(err_file);
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = read_text(out_file);
  result.err = read_text(err_file);
  return result;
}

}  // namespace quarvex::testing
