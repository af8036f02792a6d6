#pragma once
// Which file answers a browser's request for the game's page, and how: the
// request's path checked and looked up in the served folders (never outside
// them), the form compressed at build time that the browser accepts, the
// file's type, and whether the copy the browser holds is still good. Plain
// code over the file system, no sockets: the page's development server
// (tools/serve) and a game server that serves the page beside its games
// answer alike.
//
//   StaticFolders site;  std::string error;
//   if (!open_static_folders({"build-web/page"}, site, error)) ...
//   StaticAnswer a = answer_static(site, {method, target, accept_encoding, ...});
//   send a.status with its headers, and a.file's bytes when a.body

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarvex {

enum class ContentCoding : uint8_t { kIdentity, kGzip, kBrotli };

// "br", "gzip", or "" for the file as it is.
std::string_view coding_name(ContentCoding coding);

// The path a request target names, relative to a served folder:
// "/data/t5.dds?x=1" is "data/t5.dds", "/" and "/font/" name the folder's
// index.html. nullopt for anything else than a plain path: a target that
// does not start with '/', a bad percent escape, a "." or ".." segment,
// an empty one, one starting with a dot (hidden files), a backslash or a
// control character (after decoding, so "%2e%2e" is refused too).
std::optional<std::string> request_path(std::string_view target);

// The codings a browser takes, from its Accept-Encoding header: a coding
// with q=0 is refused, "*" stands for every coding not named, and the file
// as it is stays acceptable unless refused by name or by "*".
struct AcceptedCodings {
  bool brotli = false;
  bool gzip = false;
  bool identity = true;
};
AcceptedCodings accepted_codings(std::string_view accept_encoding);

// Content-Type by the file's name; application/octet-stream for names it
// does not know.
std::string_view content_type(std::string_view path);

// HTTP dates in the one form servers write and browsers send back
// ("Sun, 06 Nov 1994 08:49:37 GMT"), as seconds since 1970.
std::string http_date(int64_t unix_seconds);
std::optional<int64_t> parse_http_date(std::string_view text);

// True when an If-None-Match header names `etag`, weak or strong, or is "*".
bool etag_matches(std::string_view if_none_match, std::string_view etag);

// The served folders, each made absolute with its links resolved, in the
// order they are searched.
struct StaticFolders {
  std::vector<std::filesystem::path> roots;
};

// False, naming it, when a folder does not exist or is not a folder.
bool open_static_folders(const std::vector<std::filesystem::path>& folders, StaticFolders& site,
                         std::string& error);

// The parts of a request that decide the answer; empty when absent.
struct StaticRequest {
  std::string_view method;
  std::string_view target;
  std::string_view accept_encoding;
  std::string_view if_none_match;
  std::string_view if_modified_since;
};

struct StaticAnswer {
  // 200, 304 (the browser's copy is current), 400 (not a plain path), 404,
  // 405 (not GET or HEAD: "Allow: GET, HEAD"), 406 (no form it accepts).
  int status = 404;
  std::filesystem::path file;  // what to send with a 200
  uint64_t size = 0;           // its length
  bool body = false;           // false for HEAD and every answer but a 200
  // Headers of a 200 and a 304.
  std::string_view content_type;
  ContentCoding coding = ContentCoding::kIdentity;
  bool varies = false;  // another form of the file exists: "Vary: Accept-Encoding"
  std::string etag;
  std::string last_modified;
};

// Every answer carries this: the names of the page's files stay the same
// from one build to the next, so a browser asks each time whether its copy
// is current (a 304 of a few hundred bytes when it is).
inline constexpr std::string_view kStaticCacheControl = "no-cache";

// The first folder holding the file answers. A file, or a compressed form
// of it (FILE.br, FILE.gz), counts only when it is a regular file whose
// real path, links resolved, lies inside that folder.
StaticAnswer answer_static(const StaticFolders& site, const StaticRequest& request);

}  // namespace quarvex
