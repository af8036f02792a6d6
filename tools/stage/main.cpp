// quarvex-stage: compiles readable stage sources into .aod stage files and
// turns any valid .aod back into text.

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "stage_text.h"

namespace {

constexpr const char* kUsage =
    "usage: quarvex-stage compile SRC OUT.aod\n"
    "       quarvex-stage decompile IN.aod   (text on standard output)\n";
// Nothing near this size is a stage; refuse before reading it all in.
constexpr std::streamoff kMaxInputBytes = 64 << 20;

bool read_file(const std::string& path, std::string& data, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot open: " + std::strerror(errno);
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  if (size < 0 || size > kMaxInputBytes) {
    error = path + ": unreadable or larger than 64 MiB";
    return false;
  }
  data.assign(static_cast<size_t>(size), '\0');
  if (!in.read(data.data(), size)) {
    error = path + ": cannot read";
    return false;
  }
  return true;
}

// Writes through a temporary file in the same folder and renames it, so a
// failed write never leaves a half-written stage under the real name.
bool write_file_atomically(const std::string& path, const std::vector<uint8_t>& bytes,
                           std::string& error) {
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = path + ": cannot create a temporary file: " + std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; a stage gets the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    done += static_cast<size_t>(n);
  }
  const bool written = done == bytes.size();
  const int write_errno = errno;
  if (close(fd) != 0 || !written) {
    error = path + ": cannot write: " + std::strerror(written ? errno : write_errno);
    unlink(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = path + ": cannot replace: " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  return true;
}

int compile(const std::string& source_path, const std::string& out_path) {
  std::string text;
  std::string error;
  if (!read_file(source_path, text, error)) {
    std::fprintf(stderr, "quarvex-stage: %s\n", error.c_str());
    return 1;
  }
  quarvex::StageSource stage;
  std::vector<std::string> errors;
  quarvex::parse_stage_text(text, source_path, stage, errors);
  if (!errors.empty()) {
    for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
    std::fprintf(stderr, "quarvex-stage: %zu error(s); %s not written\n", errors.size(),
                 out_path.c_str());
    return 1;
  }
  if (!write_file_atomically(out_path, quarvex::encode_stage(stage), error)) {
    std::fprintf(stderr, "quarvex-stage: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

int decompile(const std::string& path) {
  std::string data;
  std::string error;
  if (!read_file(path, data, error)) {
    std::fprintf(stderr, "quarvex-stage: %s\n", error.c_str());
    return 1;
  }
  const std::vector<uint8_t> bytes(data.begin(), data.end());
  quarvex::StageSource stage;
  if (!quarvex::decode_stage(bytes, path, stage, error)) {
    std::fprintf(stderr, "quarvex-stage: %s\n", error.c_str());
    return 1;
  }
  const std::string text = quarvex::format_stage_text(stage);
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout)) {
    std::fprintf(stderr, "quarvex-stage: writing standard output failed\n");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 3 && args[0] == "compile") return compile(args[1], args[2]);
  if (args.size() == 2 && args[0] == "decompile") return decompile(args[1]);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::fputs(kUsage, stderr);
  return 2;
}
