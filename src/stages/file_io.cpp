#include "stages/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "world/shown_text.h"

namespace quarvex {

namespace {

namespace fs = std::filesystem;

template <typename Bytes>
bool read_bounded(const std::string& path, size_t max_bytes, Bytes& out, std::string& error) {
  const std::string name = shown_text(path, 200);
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) {
    error = name + ": cannot open: " + (ec ? ec.message() : std::string("no such file"));
    return false;
  }
  if (!fs::is_regular_file(status)) {
    error = name + ": not a file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = name + ": cannot open: " + std::strerror(errno);
    return false;
  }
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  in.seekg(0);
  if (size < 0) {
    error = name + ": cannot read";
    return false;
  }
  if (static_cast<uintmax_t>(size) > max_bytes) {
    error = name + ": " + std::to_string(size) + " bytes, more than the " +
            std::to_string(max_bytes) + " such a file can have";
    return false;
  }
  out.assign(static_cast<size_t>(size), 0);
  if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size)) {
    error = name + ": cannot read";
    return false;
  }
  return true;
}

}  // namespace

bool read_small_file(const std::string& path, size_t max_bytes, std::vector<uint8_t>& out,
                     std::string& error) {
  return read_bounded(path, max_bytes, out, error);
}

bool read_small_file(const std::string& path, size_t max_bytes, std::string& out,
                     std::string& error) {
  return read_bounded(path, max_bytes, out, error);
}

bool write_file_atomically(const std::string& path, const std::string& bytes, bool replace,
                           std::string& error) {
  const std::string name = shown_text(path, 200);
  std::error_code ec;
  if (!replace && fs::exists(fs::symlink_status(path, ec))) {
    error = name + ": already exists; not replaced";
    return false;
  }
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = name + ": cannot create a temporary file: " + std::strerror(errno);
    return false;
  }
  // mkstemp makes the file private; a stage gets the usual permissions.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  size_t done = 0;
  int failure = 0;
  while (failure == 0 && done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n >= 0) {
      done += static_cast<size_t>(n);
    } else if (errno != EINTR) {
      failure = errno;
    }
  }
  // On the disk before the rename, so a crash leaves the old file or the new one.
  if (failure == 0 && fsync(fd) != 0) failure = errno;
  if (close(fd) != 0 && failure == 0) failure = errno;
  if (failure != 0) {
    error = name + ": cannot write: " + std::strerror(failure);
    unlink(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    error = name + ": cannot replace: " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace quarvex
