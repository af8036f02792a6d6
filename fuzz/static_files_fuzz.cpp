// A request for the page comes from anyone who can reach the server: its
// target and headers may hold any bytes. The path it names is never outside
// the served folder, and the file answered always lies inside it.
//
// Input: the target, the Accept-Encoding, If-None-Match and
// If-Modified-Since headers, one per line.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "web_serve/static_files.h"

namespace {

namespace fs = std::filesystem;

quarvex::StaticFolders site;
fs::path served;

std::string_view next_line(std::string_view& rest) {
  const size_t end = rest.find('\n');
  const std::string_view line = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return line;
}

bool plain_path(const std::string& path) {
  if (path.empty() || path.front() == '/') return false;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find('/', start);
    const std::string_view segment = std::string_view(path).substr(start, end - start);
    if (segment.empty() || segment.front() == '.') return false;
    for (char c : segment) {
      if (static_cast<unsigned char>(c) < 0x20 || c == '\\') return false;
    }
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

}  // namespace

// A served folder with a file, its compressed forms, a folder and a link
// that leads out of it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/quarvex-fuzz-served-XXXXXX";
  const char* made = mkdtemp(pattern);
  if (made == nullptr) std::abort();
  served = fs::path(made) / "page";
  fs::create_directories(served / "data");
  for (const char* name : {"index.html", "index.html.br", "index.html.gz", "data/t5.dds"}) {
    std::ofstream(served / name) << name;
  }
  std::ofstream(fs::path(made) / "outside.txt") << "outside";
  fs::create_symlink(fs::path(made) / "outside.txt", served / "data" / "out");
  std::string error;
  if (!quarvex::open_static_folders({served}, site, error)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  quarvex::StaticRequest request;
  request.method = "GET";
  request.target = next_line(rest);
  request.accept_encoding = next_line(rest);
  request.if_none_match = next_line(rest);
  request.if_modified_since = next_line(rest);

  if (const auto path = quarvex::request_path(request.target)) {
    if (!plain_path(*path)) std::abort();
  }
  if (const auto seconds = quarvex::parse_http_date(request.if_modified_since)) {
    if (quarvex::http_date(*seconds) != request.if_modified_since) std::abort();
  }
  quarvex::etag_matches(request.if_none_match, "\"1-2\"");
  const quarvex::StaticAnswer answer = quarvex::answer_static(site, request);
  if (answer.status == 200 || answer.status == 304) {
    const fs::path relative = answer.file.lexically_relative(fs::canonical(served));
    if (relative.empty() || *relative.begin() == "..") std::abort();
  }
  return 0;
}
