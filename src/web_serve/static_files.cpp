#include "web_serve/static_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cstdio>

namespace quarvex {

namespace fs = std::filesystem;

namespace {

// Longer targets are no page's; Beast's header limit would stop them too.
constexpr size_t kMaxTargetLength = 2048;

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool same_word(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return lower(x) == lower(y); });
}

bool ends_with_word(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && same_word(text.substr(text.size() - end.size()), end);
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// Splits at each `separator`, handing each trimmed part to `each`.
template <class Each>
void for_each_part(std::string_view text, char separator, Each each) {
  for (;;) {
    const size_t end = text.find(separator);
    each(trim(text.substr(0, end)));
    if (end == std::string_view::npos) return;
    text.remove_prefix(end + 1);
  }
}

// A qvalue ("0", "0.5", "1.000"): false for a malformed one.
bool parse_qvalue(std::string_view text, bool& positive) {
  if (text.empty() || (text[0] != '0' && text[0] != '1')) return false;
  positive = text[0] == '1';
  if (text.size() == 1) return true;
  if (text[1] != '.' || text.size() > 5) return false;
  for (char c : text.substr(2)) {
    if (c < '0' || c > '9') return false;
    if (c != '0') {
      if (text[0] == '1') return false;  // above 1
      positive = true;
    }
  }
  return true;
}

bool segment_allowed(std::string_view segment) {
  if (segment.empty() || segment.front() == '.') return false;
  return std::none_of(segment.begin(), segment.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7f || c == '\\';
  });
}

struct FoundFile {
  fs::path path;
  uint64_t size = 0;
  int64_t modified_ns = 0;
};

// `candidate` when it is a regular file whose real path lies inside `root`
// (which is already real).
std::optional<FoundFile> file_inside(const fs::path& root, const fs::path& candidate) {
  std::error_code ec;
  fs::path real = fs::canonical(candidate, ec);
  if (ec) return std::nullopt;
  auto r = root.begin();
  auto c = real.begin();
  for (; r != root.end(); ++r, ++c) {
    if (c == real.end() || *r != *c) return std::nullopt;
  }
  if (c == real.end()) return std::nullopt;  // the folder itself
  struct stat st {};
  if (::stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FoundFile{std::move(real), static_cast<uint64_t>(st.st_size),
                   int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec};
}

// A compressed form of `plain`, unless it is older: a file changed in the
// folder by hand is sent as it now is, never from a stale form.
std::optional<FoundFile> form_of(const fs::path& root, const std::string& path,
                                 std::string_view suffix, const FoundFile& plain) {
  std::optional<FoundFile> form = file_inside(root, root / (path + std::string(suffix)));
  if (form && form->modified_ns < plain.modified_ns) return std::nullopt;
  return form;
}

constexpr std::array<std::string_view, 7> kDays = {"Thu", "Fri", "Sat", "Sun",
                                                   "Mon", "Tue", "Wed"};  // from 1970-01-01
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool parse_number(std::string_view text, int& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string_view coding_name(ContentCoding coding) {
  switch (coding) {
    case ContentCoding::kBrotli:
      return "br";
    case ContentCoding::kGzip:
      return "gzip";
    case ContentCoding::kIdentity:
      break;
  }
  return "";
}

std::optional<std::string> request_path(std::string_view target) {
  if (target.empty() || target.front() != '/' || target.size() > kMaxTargetLength) {
    return std::nullopt;
  }
  target = target.substr(0, target.find('?'));
  std::string decoded;
  decoded.reserve(target.size());
  for (size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '#') return std::nullopt;
    if (target[i] != '%') {
      decoded += target[i];
      continue;
    }
    if (i + 2 >= target.size()) return std::nullopt;
    const int high = hex_digit(target[i + 1]);
    const int low = hex_digit(target[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  // The leading '/' is the folder itself; a path ending in '/' is a folder's index.
  std::string_view rest = std::string_view(decoded).substr(1);
  std::string path;
  while (!rest.empty()) {
    const size_t end = rest.find('/');
    const std::string_view segment = rest.substr(0, end);
    if (!segment_allowed(segment)) return std::nullopt;
    path.append(segment);
    if (end == std::string_view::npos) return path;
    path += '/';
    rest.remove_prefix(end + 1);
  }
  return path + "index.html";
}

AcceptedCodings accepted_codings(std::string_view accept_encoding) {
  // For each of br, gzip, identity, "*": not named, taken or refused.
  enum Said : uint8_t { kUnsaid, kTaken, kRefused };
  Said brotli = kUnsaid, gzip = kUnsaid, identity = kUnsaid, any = kUnsaid;
  for_each_part(accept_encoding, ',', [&](std::string_view element) {
    const size_t semicolon = element.find(';');
    const std::string_view coding = trim(element.substr(0, semicolon));
    bool positive = true;
    if (semicolon != std::string_view::npos) {
      bool well_formed = true;
      for_each_part(element.substr(semicolon + 1), ';', [&](std::string_view parameter) {
        if (parameter.size() >= 2 && lower(parameter[0]) == 'q' && parameter[1] == '=') {
          well_formed = well_formed && parse_qvalue(parameter.substr(2), positive);
        }
      });
      if (!well_formed) return;  // a coding is never taken on a malformed weight
    }
    const Said said = positive ? kTaken : kRefused;
    if (same_word(coding, "br")) brotli = said;
    if (same_word(coding, "gzip") || same_word(coding, "x-gzip")) gzip = said;
    if (same_word(coding, "identity")) identity = said;
    if (coding == "*") any = said;
  });
  const auto taken = [&](Said named, bool otherwise) {
    if (named != kUnsaid) return named == kTaken;
    if (any != kUnsaid) return any == kTaken;
    return otherwise;
  };
  return AcceptedCodings{taken(brotli, false), taken(gzip, false), taken(identity, true)};
}

std::string_view content_type(std::string_view path) {
  static constexpr std::pair<std::string_view, std::string_view> kTypes[] = {
      {".html", "text/html; charset=utf-8"},
      {".js", "text/javascript; charset=utf-8"},
      {".mjs", "text/javascript; charset=utf-8"},
      {".wasm", "application/wasm"},
      {".json", "application/json"},
      {".css", "text/css; charset=utf-8"},
      {".txt", "text/plain; charset=utf-8"},
      {".qvr", "text/plain; charset=utf-8"},
      {".png", "image/png"},
      {".bmp", "image/bmp"},
      {".svg", "image/svg+xml"},
      {".ico", "image/x-icon"},
      {".ttf", "font/ttf"},
      {".otf", "font/otf"},
      {".wav", "audio/wav"},
  };
  for (const auto& [extension, type] : kTypes) {
    if (ends_with_word(path, extension)) return type;
  }
  return "application/octet-stream";
}

std::string http_date(int64_t unix_seconds) {
  using namespace std::chrono;
  const sys_seconds time{seconds{unix_seconds}};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss clock{time - day};
  const int64_t day_number = day.time_since_epoch().count();
  char text[64];
  std::snprintf(text, sizeof text, "%s, %02u %s %04d %02d:%02d:%02d GMT",
                kDays[static_cast<size_t>(((day_number % 7) + 7) % 7)].data(), unsigned{date.day()},
                kMonths[unsigned{date.month()} - 1].data(), int{date.year()},
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

std::optional<int64_t> parse_http_date(std::string_view text) {
  using namespace std::chrono;
  // "Sun, 06 Nov 1994 08:49:37 GMT"
  if (text.size() != 29 || text.substr(3, 2) != ", " || text[7] != ' ' || text[11] != ' ' ||
      text[16] != ' ' || text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT") {
    return std::nullopt;
  }
  const auto month_name = std::find(kMonths.begin(), kMonths.end(), text.substr(8, 3));
  int d = 0, y = 0, h = 0, m = 0, s = 0;
  if (month_name == kMonths.end() || !parse_number(text.substr(5, 2), d) ||
      !parse_number(text.substr(12, 4), y) || !parse_number(text.substr(17, 2), h) ||
      !parse_number(text.substr(20, 2), m) || !parse_number(text.substr(23, 2), s) || h > 23 ||
      m > 59 || s > 59) {
    return std::nullopt;
  }
  const year_month_day date{year{y}, month{static_cast<unsigned>(month_name - kMonths.begin() + 1)},
                            day{static_cast<unsigned>(d)}};
  if (!date.ok()) return std::nullopt;
  const int64_t day_number = sys_days{date}.time_since_epoch().count();
  if (kDays[static_cast<size_t>(((day_number % 7) + 7) % 7)] != text.substr(0, 3)) {
    return std::nullopt;
  }
  return day_number * 86400 + h * 3600 + m * 60 + s;
}

bool etag_matches(std::string_view if_none_match, std::string_view etag) {
  bool found = false;
  for_each_part(if_none_match, ',', [&](std::string_view tag) {
    if (tag.substr(0, 2) == "W/") tag.remove_prefix(2);
    if (tag == "*" || (!tag.empty() && tag == etag)) found = true;
  });
  return found;
}

bool open_static_folders(const std::vector<fs::path>& folders, StaticFolders& site,
                         std::string& error) {
  site.roots.clear();
  for (const fs::path& folder : folders) {
    std::error_code ec;
    fs::path real = fs::canonical(folder, ec);
    if (ec || !fs::is_directory(real, ec)) {
      error = folder.string() + ": not a folder";
      return false;
    }
    site.roots.push_back(std::move(real));
  }
  return true;
}

StaticAnswer answer_static(const StaticFolders& site, const StaticRequest& request) {
  StaticAnswer answer;
  const bool head = request.method == "HEAD";
  if (!head && request.method != "GET") {
    answer.status = 405;
    return answer;
  }
  const std::optional<std::string> path = request_path(request.target);
  if (!path) {
    answer.status = 400;
    return answer;
  }
  for (const fs::path& root : site.roots) {
    std::optional<FoundFile> plain = file_inside(root, root / *path);
    if (!plain) continue;
    std::optional<FoundFile> brotli = form_of(root, *path, ".br", *plain);
    std::optional<FoundFile> gzip = form_of(root, *path, ".gz", *plain);
    const AcceptedCodings accepted = accepted_codings(request.accept_encoding);
    answer.varies = brotli || gzip;
    std::optional<FoundFile>* chosen = nullptr;
    if (brotli && accepted.brotli) {
      chosen = &brotli;
      answer.coding = ContentCoding::kBrotli;
    } else if (gzip && accepted.gzip) {
      chosen = &gzip;
      answer.coding = ContentCoding::kGzip;
    } else if (accepted.identity) {
      chosen = &plain;
    } else {
      answer.status = 406;
      return answer;
    }
    const FoundFile& file = **chosen;
    answer.content_type = content_type(*path);
    answer.file = file.path;
    answer.size = file.size;
    char tag[64];
    std::snprintf(tag, sizeof tag, "\"%llx-%llx%s%s\"", static_cast<unsigned long long>(file.size),
                  static_cast<unsigned long long>(file.modified_ns),
                  answer.coding == ContentCoding::kIdentity ? "" : "-",
                  coding_name(answer.coding).data());
    answer.etag = tag;
    const int64_t modified = file.modified_ns / 1000000000;
    answer.last_modified = http_date(modified);
    // A browser's copy is current when it carries this form's tag, or,
    // when it sends no tag, when it is no older than the file.
    bool current = false;
    if (!request.if_none_match.empty()) {
      current = etag_matches(request.if_none_match, answer.etag);
    } else if (const auto since = parse_http_date(request.if_modified_since)) {
      current = modified <= *since;
    }
    answer.status = current ? 304 : 200;
    answer.body = !current && !head;
    return answer;
  }
  answer.status = 404;
  return answer;
}

}  // namespace quarvex
