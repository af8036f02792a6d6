// The settings file on disk: read at start-up, and written when the game
// changes a setting. The player may edit the file while the game runs, so a
// save merges the game's own changes into the file as it is now, entry by
// entry, and leaves a file that now has an error as it is.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "shell/settings.h"

namespace quarvex {

namespace {

namespace fs = std::filesystem;

// A settings file is a few kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMaxFileBytes = 1 << 20;
// Links followed to the file itself before the chain counts as a loop.
constexpr int kMaxLinks = 40;

bool read_file(const std::string& path, std::string& text, std::string& error) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    error = path + ": is not a file";
    return false;
  }
  const std::uintmax_t size = fs::file_size(path, ec);
  if (!ec && size > kMaxFileBytes) {
    error = path + ": larger than " + std::to_string(kMaxFileBytes) + " bytes; not a settings file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read: " + std::strerror(errno);
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    error = path + ": cannot be read";
    return false;
  }
  text = content.str();
  return true;
}

// The file a path names: a settings file kept elsewhere (with the player's
// other dotfiles) and linked here is written where it lives, and the link
// stays. A dangling link names the file it would point to.
fs::path file_behind_links(const fs::path& path) {
  fs::path file = path;
  std::error_code ec;
  for (int i = 0; i < kMaxLinks && fs::is_symlink(file, ec); ++i) {
    const fs::path target = fs::read_symlink(file, ec);
    if (ec) break;
    file = target.is_absolute() ? target : file.parent_path() / target;
  }
  return file;
}

bool write_all(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes the whole text beside the file, then puts it in the file's place in
// one step, so a failure never leaves half a file: the old one stays as it
// was. The new file keeps the old one's mode (a file kept private stays
// private) and owner where it can. Read back before it counts as written.
bool write_file(const std::string& path, const std::string& text, std::string& error) {
  const fs::path file = file_behind_links(path);
  std::error_code ec;
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
  const std::string temporary = file.string() + ".tmp-" + std::to_string(getpid());
  struct stat old {};
  const bool replacing = ::stat(file.c_str(), &old) == 0;
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = "cannot write in " + file.parent_path().string() + ": " + std::strerror(errno);
    return false;
  }
  bool ok = write_all(fd, text);
  if (ok && replacing) {
    ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    // Only root can give the file back to its owner; anyone else owns it already.
    if (ok && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
      [[maybe_unused]] const int kept = ::fchown(fd, old.st_uid, old.st_gid);
    }
  }
  ok = ok && ::fsync(fd) == 0;
  const int code = errno;
  ok = ::close(fd) == 0 && ok;
  if (!ok || std::rename(temporary.c_str(), file.c_str()) != 0) {
    error = "cannot write " + file.string() + ": " + std::strerror(ok ? errno : code);
    std::remove(temporary.c_str());
    return false;
  }
  std::string written;
  if (!read_file(file.string(), written, error)) return false;
  if (written != text) {
    error = file.string() + " does not read back as it was written";
    return false;
  }
  return true;
}

// Keeps the keys of `action` in `b` less `chord`.
void drop_key(Bindings& b, int action, KeyChord chord) {
  ActionKeys kept;
  const ActionKeys& keys = b.keys[action];
  for (int i = 0; i < keys.count; ++i) {
    if (!(keys.keys[i] == chord)) kept.keys[kept.count++] = keys.keys[i];
  }
  b.keys[action] = kept;
}

void drop_pad(Bindings& b, int action, int input) {
  ActionPad kept;
  const ActionPad& pad = b.pad[action];
  for (int i = 0; i < pad.count; ++i) {
    if (pad.inputs[i] != input) kept.inputs[kept.count++] = pad.inputs[i];
  }
  b.pad[action] = kept;
}

template <typename T>
void take_change(const T& before, const T& after, T& into) {
  if (!(before == after)) into = after;
}

// The file's settings `now` with what the game changed since `before` (the
// settings it last wrote or read) made as in `mine`: an entry the game did
// not change keeps the file's value. A key the game bound takes it from an
// action the game left alone.
Settings merged_settings(const Settings& before, const Settings& mine, const Settings& now) {
  Settings out = now;
  take_change(before.language, mine.language, out.language);
  take_change(before.window_scale, mine.window_scale, out.window_scale);
  take_change(before.fullscreen, mine.fullscreen, out.fullscreen);
  take_change(before.pause_on_focus_loss, mine.pause_on_focus_loss, out.pause_on_focus_loss);
  take_change(before.master_volume, mine.master_volume, out.master_volume);
  take_change(before.effects_volume, mine.effects_volume, out.effects_volume);
  take_change(before.mute, mine.mute, out.mute);
  take_change(before.record_replays, mine.record_replays, out.record_replays);
  take_change(before.dead_zone, mine.dead_zone, out.dead_zone);
  take_change(before.player_name, mine.player_name, out.player_name);
  take_change(before.addresses, mine.addresses, out.addresses);
  std::array<bool, kActionCount> keys_changed{};
  std::array<bool, kActionCount> pad_changed{};
  for (int a = 0; a < kActionCount; ++a) {
    keys_changed[a] = !(before.bindings.keys[a] == mine.bindings.keys[a]);
    pad_changed[a] = !(before.bindings.pad[a] == mine.bindings.pad[a]);
    if (keys_changed[a]) out.bindings.keys[a] = mine.bindings.keys[a];
    if (pad_changed[a]) out.bindings.pad[a] = mine.bindings.pad[a];
  }
  Bindings& b = out.bindings;
  for (int a = 0; a < kActionCount; ++a) {
    for (int other = 0; other < kActionCount; ++other) {
      if (other == a) continue;
      for (int i = 0; keys_changed[a] && !keys_changed[other] && i < b.keys[a].count; ++i) {
        drop_key(b, other, b.keys[a].keys[i]);
      }
      for (int i = 0; pad_changed[a] && !pad_changed[other] && i < b.pad[a].count; ++i) {
        drop_pad(b, other, b.pad[a].inputs[i]);
      }
    }
  }
  return out;
}

}  // namespace

std::string without_folder(const std::string& error, const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos || error.compare(0, path.size(), path) != 0) return error;
  return error.substr(slash + 1);
}

std::string default_settings_path() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  fs::path base;
  // A relative XDG_CONFIG_HOME is not valid and is passed over.
  if (config != nullptr && config[0] == '/') {
    base = config;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = fs::path(home) / ".config";
  } else {
    return {};
  }
  return (base / "quarvex" / "settings.toml").string();
}

SettingsFile load_settings(const std::string& path, bool create) {
  SettingsFile file;
  file.path = path;
  if (path.empty()) return file;
  std::error_code ec;
  if (!fs::exists(path, ec) && !ec) {
    std::string error;
    if (create && !write_file(path, settings_text(file.settings), error)) {
      file.errors.push_back(error);
    }
    return file;
  }
  std::string text;
  std::string error;
  if (!read_file(path, text, error)) {
    file.errors.push_back(error);
    return file;
  }
  file.settings = parse_settings(text, path, file.errors);
  file.saved = file.settings;
  return file;
}

bool save_settings(SettingsFile& file, std::string& error) {
  if (file.path.empty()) {
    error = "there is no settings file (neither XDG_CONFIG_HOME nor HOME is set)";
    return false;
  }
  std::string old_text;
  std::error_code ec;
  const bool exists = fs::exists(file.path, ec);
  if (ec || (exists && !read_file(file.path, old_text, error))) {
    if (ec) error = file.path + ": " + ec.message();
    return false;
  }
  std::vector<std::string> errors;
  const Settings now = parse_settings(old_text, file.path, errors);
  if (!errors.empty()) {
    // Said once, through the errors the help shows; the change stays in
    // the game until it ends, and is written once the file reads again.
    if (file.errors.empty()) file.errors = errors;
    error = file.path + " now has errors (the help lists them); it is left as it is, and " +
            "the change lasts until the game ends";
    return false;
  }
  const Settings merged = merged_settings(file.saved, file.settings, now);
  const std::string text =
      old_text.empty() ? settings_text(merged) : updated_settings_text(old_text, merged);
  if (!(parse_settings(text, file.path, errors) == merged) || !errors.empty()) {
    error = "the settings cannot be written so that they read back the same";
    return false;
  }
  if (!write_file(file.path, text, error)) return false;
  file.saved = file.settings;
  file.errors.clear();
  return true;
}

}  // namespace quarvex
