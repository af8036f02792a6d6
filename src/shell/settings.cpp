#include "shell/settings.h"

// The parser is compiled from its headers with this build's flags (sanitizers
// and the fuzzer's coverage reach into it). Every file that includes it sets
// these two the same way, so its inline functions are the same everywhere.
#define TOML_HEADER_ONLY 1
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lang/languages.h"
#include "shell/player_name.h"

#include "world/shown_text.h"

namespace quarvex {

namespace {

// Syntax errors that are each left out before the rest of the file is given up.
constexpr int kMaxSyntaxErrors = 16;
// A message quotes names from the file; a line longer than this is cut.
constexpr size_t kMaxMessageCharacters = 300;

class Reader {
 public:
  Reader(const std::string& file_name, std::vector<std::string>& errors)
      : file_name_(file_name), errors_(errors) {}

  // One line, whatever the file's text put into the message.
  void error(const toml::source_region& where, const std::string& what) {
    errors_.push_back(file_name_ + ":" + std::to_string(where.begin.line) + ": " +
                      shown_text(what, kMaxMessageCharacters));
  }

  bool read_bool(const toml::node& node, const std::string& name, bool& out) {
    if (const auto value = node.value_exact<bool>()) {
      out = *value;
      return true;
    }
    error(node.source(), name + ": expected true or false");
    return false;
  }

  bool read_int(const toml::node& node, const std::string& name, int lowest, int highest,
                int& out) {
    const auto value = node.value_exact<int64_t>();
    if (!value) {
      error(node.source(), name + ": expected a whole number");
      return false;
    }
    if (*value < lowest || *value > highest) {
      error(node.source(), name + ": " + std::to_string(*value) + " is outside " +
                               std::to_string(lowest) + ".." + std::to_string(highest));
      return false;
    }
    out = static_cast<int>(*value);
    return true;
  }

  // "auto" or a language code.
  bool read_language(const toml::node& node, const std::string& name, std::string& out) {
    const auto* text = node.as_string();
    if (text == nullptr || (text->get() != "auto" && !is_language_code(text->get()))) {
      error(node.source(), name + ": expected \"auto\" or a language code, like \"en\" or \"de\"");
      return false;
    }
    out = text->get();
    return true;
  }

  bool read_fraction(const toml::node& node, const std::string& name, double lowest, double highest,
                     double& out) {
    std::optional<double> value = node.value_exact<double>();
    if (!value) {
      if (const auto whole = node.value_exact<int64_t>()) value = static_cast<double>(*whole);
    }
    if (!value) {
      error(node.source(), name + ": expected a number");
      return false;
    }
    if (!(*value >= lowest && *value <= highest)) {
      char text[96];
      std::snprintf(text, sizeof text, ": %g is outside %g..%g", *value, lowest, highest);
      error(node.source(), name + text);
      return false;
    }
    out = *value;
    return true;
  }

  // The names of one binding entry: a list of strings, or one string.
  bool read_names(const toml::node& node, const std::string& name,
                  std::vector<std::string_view>& names) {
    names.clear();
    if (const auto* one = node.as_string()) {
      names.push_back(one->get());
      return true;
    }
    const toml::array* list = node.as_array();
    if (list == nullptr) {
      error(node.source(), name + ": expected a list of names, like [\"Space\"]");
      return false;
    }
    for (const toml::node& element : *list) {
      const auto* text = element.as_string();
      if (text == nullptr) {
        error(element.source(), name + ": expected a list of names, like [\"Space\"]");
        return false;
      }
      names.push_back(text->get());
    }
    if (names.size() > kMaxKeysPerAction) {
      error(node.source(), name + ": at most " + std::to_string(kMaxKeysPerAction) + " names");
      return false;
    }
    return true;
  }

 private:
  const std::string& file_name_;
  std::vector<std::string>& errors_;
};

struct BindingEntry {
  int action;
  const toml::node* node;
};

std::string in_quotes(std::string_view s) {
  return "'" + std::string(s) + "'";
}

// Explicit entries are bound in the order of their lines, so of two entries
// that claim one key the later is refused. Then the actions the file leaves
// out get their defaults, less any key an entry took.
void read_bindings(Reader& reader, const toml::table& table, const char* section, bool pad,
                   Bindings& bindings) {
  std::vector<BindingEntry> entries;
  for (auto&& [key, node] : table) {
    const int action = action_named(key.str().data(), key.str().size());
    if (action < 0) {
      if (!(pad && key.str() == "dead_zone")) {
        reader.error(key.source(), "unknown entry " + in_quotes(std::string(section) + "." +
                                                                std::string(key.str())));
      }
      continue;
    }
    entries.push_back({action, &node});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const BindingEntry& a, const BindingEntry& b) {
                     return a.node->source().begin.line < b.node->source().begin.line;
                   });

  const Bindings& defaults = default_bindings();
  std::array<bool, kActionCount> explicit_entry{};
  std::vector<std::string_view> names;
  for (const BindingEntry& entry : entries) {
    const std::string name = std::string(section) + "." + kActions[entry.action].name;
    if (!reader.read_names(*entry.node, name, names)) continue;
    // Every name is checked before any is bound, so a bad entry keeps its default whole.
    std::vector<KeyChord> chords;
    std::vector<int> inputs;
    bool ok = true;
    for (std::string_view n : names) {
      KeyChord chord;
      const int input = pad ? parse_pad_input(n) : -1;
      if (pad ? input < 0 : !parse_key_chord(n, chord)) {
        reader.error(entry.node->source(),
                     name + ": unknown " + (pad ? "gamepad input " : "key name ") + in_quotes(n));
        ok = false;
        break;
      }
      if (!pad && entry.action < kKeyCount && chord.mods != 0) {
        reader.error(
            entry.node->source(),
            name + ": " + in_quotes(n) + ": a game key is one key, without Ctrl, Alt or Shift");
        ok = false;
        break;
      }
      chords.push_back(chord);
      inputs.push_back(input);
    }
    if (!ok) continue;
    explicit_entry[entry.action] = true;
    for (size_t i = 0; i < names.size(); ++i) {
      int other = -1;
      const BindResult result = pad ? bind_pad(bindings, entry.action, inputs[i], other)
                                    : bind_key(bindings, entry.action, chords[i], other);
      if (result == BindResult::kTaken) {
        reader.error(entry.node->source(), name + ": " + in_quotes(names[i]) +
                                               " is already bound to " + kActions[other].name);
      }
    }
  }
  for (int a = 0; a < kActionCount; ++a) {
    if (explicit_entry[a]) continue;
    int other = -1;
    if (pad) {
      for (int i = 0; i < defaults.pad[a].count; ++i) {
        bind_pad(bindings, a, defaults.pad[a].inputs[i], other);
      }
    } else {
      for (int i = 0; i < defaults.keys[a].count; ++i) {
        bind_key(bindings, a, defaults.keys[a].keys[i], other);
      }
    }
  }
}

void read_window(Reader& reader, const toml::table& table, Settings& s) {
  for (auto&& [key, node] : table) {
    const std::string name = "window." + std::string(key.str());
    if (key.str() == "scale") {
      reader.read_int(node, name, 0, kMaxWindowScale, s.window_scale);
    } else if (key.str() == "fullscreen") {
      reader.read_bool(node, name, s.fullscreen);
    } else if (key.str() == "pause_on_focus_loss") {
      reader.read_bool(node, name, s.pause_on_focus_loss);
    } else {
      reader.error(key.source(), "unknown entry " + in_quotes(name));
    }
  }
}

void read_sound(Reader& reader, const toml::table& table, Settings& s) {
  for (auto&& [key, node] : table) {
    const std::string name = "sound." + std::string(key.str());
    if (key.str() == "master_volume") {
      reader.read_int(node, name, 0, 100, s.master_volume);
    } else if (key.str() == "effects_volume") {
      reader.read_int(node, name, 0, 100, s.effects_volume);
    } else if (key.str() == "mute") {
      reader.read_bool(node, name, s.mute);
    } else {
      reader.error(key.source(), "unknown entry " + in_quotes(name));
    }
  }
}

void read_replays(Reader& reader, const toml::table& table, Settings& s) {
  for (auto&& [key, node] : table) {
    const std::string name = "replays." + std::string(key.str());
    if (key.str() == "record") {
      reader.read_bool(node, name, s.record_replays);
    } else {
      reader.error(key.source(), "unknown entry " + in_quotes(name));
    }
  }
}

void read_player(Reader& reader, const toml::table& table, Settings& s) {
  for (auto&& [key, node] : table) {
    const std::string name = "player." + std::string(key.str());
    if (key.str() != "name") {
      reader.error(key.source(), "unknown entry " + in_quotes(name));
    } else if (const auto* text = node.as_string()) {
      s.player_name = clean_line(text->get(), kMaxNameCodePoints);
    } else {
      reader.error(node.source(), name + ": expected a name in quotes");
    }
  }
}

// The list the game writes; a longer one keeps its first (newest) entries.
void read_network(Reader& reader, const toml::table& table, Settings& s) {
  for (auto&& [key, node] : table) {
    const std::string name = "network." + std::string(key.str());
    if (key.str() != "addresses") {
      reader.error(key.source(), "unknown entry " + in_quotes(name));
      continue;
    }
    const toml::array* list = node.as_array();
    std::vector<std::string> addresses;
    bool ok = list != nullptr;
    for (size_t i = 0; ok && i < list->size(); ++i) {
      const auto* text = (*list)[i].as_string();
      ok = text != nullptr;
      if (!ok) break;
      std::string address = clean_line(text->get(), kMaxAddressCharacters);
      if (!address.empty() && addresses.size() < kRememberedAddresses) {
        addresses.push_back(std::move(address));
      }
    }
    if (!ok) {
      reader.error(node.source(), name + ": expected a list of addresses, like [\"192.168.1.20\"]");
      continue;
    }
    s.addresses = std::move(addresses);
  }
}

// A basic TOML string: the cleaned texts hold no control characters.
std::string quoted_value(std::string_view text) {
  std::string value = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') value += '\\';
    value += c;
  }
  return value + "\"";
}

std::string addresses_value(const std::vector<std::string>& addresses) {
  std::string value = "[";
  for (size_t i = 0; i < addresses.size(); ++i) {
    if (i > 0) value += ", ";
    value += quoted_value(addresses[i]);
  }
  return value + "]";
}

// Parses, leaving out each line a syntax error names, until the text reads.
toml::table parse_forgiving(std::string_view text, const std::string& file_name, Reader& reader) {
  std::string work(text);
  for (int attempt = 0; attempt <= kMaxSyntaxErrors; ++attempt) {
    try {
      return toml::parse(std::string_view(work), std::string_view(file_name));
    } catch (const toml::parse_error& e) {
      reader.error(e.source(), std::string(e.description()));
      const auto line = e.source().begin.line;
      // Find the line and blank it, keeping the line count.
      size_t start = 0;
      for (toml::source_index l = 1; l < line && start != std::string::npos; ++l) {
        start = work.find('\n', start);
        if (start != std::string::npos) ++start;
      }
      if (line == 0 || start == std::string::npos || start >= work.size()) break;
      const size_t end = std::min(work.find('\n', start), work.size());
      if (work.find_first_not_of(' ', start) >= end) break;  // already blank: no progress
      std::fill(work.begin() + static_cast<std::ptrdiff_t>(start),
                work.begin() + static_cast<std::ptrdiff_t>(end), ' ');
    }
  }
  return toml::table{};
}

std::string names_value(const Bindings& b, int action, bool pad) {
  std::string value = "[";
  const int count = pad ? b.pad[action].count : b.keys[action].count;
  for (int i = 0; i < count; ++i) {
    if (i > 0) value += ", ";
    const std::string name =
        pad ? pad_input_name(b.pad[action].inputs[i]) : key_chord_name(b.keys[action].keys[i]);
    value += '"';
    for (const char c : name) {
      // SDL names the backslash key with a backslash.
      if (c == '\\' || c == '"') value += '\\';
      value += c;
    }
    value += '"';
  }
  return value + "]";
}

std::string bool_text(bool b) {
  return b ? "true" : "false";
}

// The shortest text that reads back as the same double, always a TOML float.
std::string number_text(double d) {
  // The fewest significant digits that read back the same (the browser's
  // C++ library has no floating-point to_chars).
  char text[32];
  for (int digits = 1; digits <= 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, d);
    if (std::strtod(text, nullptr) == d) break;
  }
  std::string out(text);
  if (out.find_first_of(".en") == std::string::npos) out += ".0";
  return out;
}

// Byte offset of a 1-based line and column (columns count characters).
size_t offset_of(std::string_view text, toml::source_position at) {
  size_t pos = 0;
  for (toml::source_index line = 1; line < at.line; ++line) {
    pos = text.find('\n', pos);
    if (pos == std::string_view::npos) return text.size();
    ++pos;
  }
  for (toml::source_index column = 1; column < at.column && pos < text.size(); ++column) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
  }
  return pos;
}

// Offset just after the header line "[name]", npos when there is none.
size_t after_header(std::string_view text, std::string_view name) {
  const std::string header = "[" + std::string(name) + "]";
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    const size_t first = line.find_first_not_of(" \t");
    if (first != std::string_view::npos) line.remove_prefix(first);
    if (line.substr(0, header.size()) == header) {
      const std::string_view rest = line.substr(header.size());
      const size_t next = rest.find_first_not_of(" \t\r");
      if (next == std::string_view::npos || rest[next] == '#') {
        return end < text.size() ? end + 1 : end;
      }
    }
    pos = end + 1;
  }
  return std::string_view::npos;
}

// Offset of the first line that opens a section, the text's end when none does.
size_t first_header(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t first = text.find_first_not_of(" \t", pos);
    if (first != std::string_view::npos && text[first] == '[') return pos;
    const size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return text.size();
}

struct Edit {
  size_t from, to;
  std::string text;
};

}  // namespace

Settings parse_settings(std::string_view text, const std::string& file_name,
                        std::vector<std::string>& errors) {
  Reader reader(file_name, errors);
  const toml::table root = parse_forgiving(text, file_name, reader);
  Settings s;
  s.bindings = Bindings{};
  const toml::table empty;
  const toml::table* keys = &empty;
  const toml::table* pad = &empty;
  for (auto&& [key, node] : root) {
    const std::string_view name = key.str();
    if (name == "language") {
      reader.read_language(node, "language", s.language);
      continue;
    }
    const toml::table* table = node.as_table();
    const bool known = name == "window" || name == "sound" || name == "replays" ||
                       name == "player" || name == "network" || name == "keys" || name == "gamepad";
    if (!known) {
      reader.error(key.source(), "unknown section " + in_quotes(name));
      continue;
    }
    if (table == nullptr) {
      reader.error(node.source(),
                   in_quotes(name) + " must be a section, like [" + std::string(name) + "]");
      continue;
    }
    if (name == "window") read_window(reader, *table, s);
    if (name == "sound") read_sound(reader, *table, s);
    if (name == "replays") read_replays(reader, *table, s);
    if (name == "player") read_player(reader, *table, s);
    if (name == "network") read_network(reader, *table, s);
    if (name == "keys") keys = table;
    if (name == "gamepad") {
      pad = table;
      if (const toml::node* zone = table->get("dead_zone")) {
        reader.read_fraction(*zone, "gamepad.dead_zone", 0.05, 0.95, s.dead_zone);
      }
    }
  }
  read_bindings(reader, *keys, "keys", false, s.bindings);
  read_bindings(reader, *pad, "gamepad", true, s.bindings);
  return s;
}

std::string settings_text(const Settings& s) {
  std::string t =
      "# quarvex settings. Every entry may be left out; it then takes the value shown here.\n"
      "# Keys are named as SDL names them: \"Keypad 8\", \"Space\", \"Up\", \"F1\", \"Return\";\n"
      "# the shell's actions (help to full screen) may put \"Ctrl+\", \"Alt+\" or \"Shift+\" "
      "before a key.\n"
      "# A key SDL has no name for is written by its number: \"Scancode 100\".\n"
      "# The Controls page of the game's menu (Esc) changes the keys and saves them here.\n"
      "\n# The language of the game's texts: \"auto\" follows the system's languages; or a\n"
      "# language code: \"en\", \"de\", \"ja\". The Language entry of the menus changes it.\n"
      "language = \"" +
      s.language +
      "\"\n"
      "\n[window]\n"
      "# Whole factor the 640x480 picture is shown at, 1 to 16; 0: the largest that fits.\n"
      "scale = " +
      std::to_string(s.window_scale) +
      "\n# Start in full screen.\n"
      "fullscreen = " +
      bool_text(s.fullscreen) +
      "\n# Pause the game when its window loses the focus.\n"
      "pause_on_focus_loss = " +
      bool_text(s.pause_on_focus_loss) +
      "\n\n[sound]\n"
      "# Loudness of everything, 0 to 100.\n"
      "master_volume = " +
      std::to_string(s.master_volume) +
      "\n# Loudness of the effects, 0 to 100.\n"
      "effects_volume = " +
      std::to_string(s.effects_volume) +
      "\n# No sound at all.\n"
      "mute = " +
      bool_text(s.mute) +
      "\n\n[replays]\n"
      "# Record a replay of every stage played.\n"
      "record = " +
      bool_text(s.record_replays) +
      "\n\n[player]\n"
      "# The name the other players see, at most 24 characters; empty: the system's user name.\n"
      "name = " +
      quoted_value(s.player_name) +
      "\n\n[network]\n"
      "# The addresses of the games joined last, newest first (the game keeps five).\n"
      "addresses = " +
      addresses_value(s.addresses) + "\n\n[keys]\n";
  for (int a = 0; a < kActionCount; ++a) {
    t += std::string("# ") + kActions[a].description + ".\n";
    t += std::string(kActions[a].name) + " = " + names_value(s.bindings, a, false) + "\n";
  }
  t += "\n[gamepad]\n"
       "# Buttons: a b x y back guide start leftstick rightstick leftshoulder rightshoulder\n"
       "# dpup dpdown dpleft dpright; sticks: -leftx +leftx -lefty (up) +lefty (down),\n"
       "# the same for rightx and righty; triggers: lefttrigger righttrigger.\n"
       "# How far a stick or trigger must move before it counts, 0.05 to 0.95 of its travel.\n"
       "dead_zone = " +
       number_text(s.dead_zone) + "\n";
  for (int a = 0; a < kActionCount; ++a) {
    t += std::string(kActions[a].name) + " = " + names_value(s.bindings, a, true) + "\n";
  }
  return t;
}

std::string updated_settings_text(std::string_view old_text, const Settings& s) {
  std::vector<std::string> errors;
  const Settings old = parse_settings(old_text, "settings", errors);
  toml::table root;
  try {
    root = toml::parse(old_text, std::string_view("settings"));
  } catch (const toml::parse_error&) {
    return settings_text(s);
  }
  if (!errors.empty()) return settings_text(s);
  // The game changes the bindings (the Controls page), the sound levels
  // (the sound keys), the language, the player's name and the addresses
  // joined; any other change is written as a whole new file.
  Settings unchanged_elsewhere = old;
  unchanged_elsewhere.language = s.language;
  unchanged_elsewhere.bindings = s.bindings;
  unchanged_elsewhere.master_volume = s.master_volume;
  unchanged_elsewhere.effects_volume = s.effects_volume;
  unchanged_elsewhere.mute = s.mute;
  unchanged_elsewhere.player_name = s.player_name;
  unchanged_elsewhere.addresses = s.addresses;
  if (!(unchanged_elsewhere == s)) return settings_text(s);

  std::vector<Edit> edits;
  // Sections the file lacks, with their lines: added together at its end.
  std::vector<std::pair<std::string_view, std::string>> added;
  // The entry's value replaced where it stands, else a line added under its
  // section's header, else under the section added at the end.
  auto set_entry = [&](std::string_view section, const char* key, const std::string& value) {
    const toml::table* table = root[section].as_table();
    const toml::node* node = table != nullptr ? table->get(key) : nullptr;
    if (node != nullptr) {
      edits.push_back({offset_of(old_text, node->source().begin),
                       offset_of(old_text, node->source().end), value});
      return;
    }
    const std::string line = std::string(key) + " = " + value + "\n";
    const size_t at = after_header(old_text, section);
    if (at != std::string_view::npos) {
      edits.push_back({at, at, line});
      return;
    }
    for (auto& [name, lines] : added) {
      if (name == section) {
        lines += line;
        return;
      }
    }
    added.emplace_back(section, line);
  };
  if (old.language != s.language) {
    const std::string value = "\"" + s.language + "\"";
    if (const toml::node* node = root.get("language")) {
      edits.push_back({offset_of(old_text, node->source().begin),
                       offset_of(old_text, node->source().end), value});
    } else {
      // A key of its own belongs before the first section.
      const size_t first_section = first_header(old_text);
      std::string line = "language = " + value + "\n";
      if (first_section > 0 && old_text[first_section - 1] != '\n') line = "\n" + line;
      edits.push_back({first_section, first_section, line});
    }
  }
  if (old.master_volume != s.master_volume) {
    set_entry("sound", "master_volume", std::to_string(s.master_volume));
  }
  if (old.effects_volume != s.effects_volume) {
    set_entry("sound", "effects_volume", std::to_string(s.effects_volume));
  }
  if (old.mute != s.mute) set_entry("sound", "mute", bool_text(s.mute));
  if (old.player_name != s.player_name) set_entry("player", "name", quoted_value(s.player_name));
  if (old.addresses != s.addresses) {
    set_entry("network", "addresses", addresses_value(s.addresses));
  }
  for (const bool pad : {false, true}) {
    for (int a = 0; a < kActionCount; ++a) {
      const bool same = pad ? old.bindings.pad[a] == s.bindings.pad[a]
                            : old.bindings.keys[a] == s.bindings.keys[a];
      if (!same) {
        set_entry(pad ? "gamepad" : "keys", kActions[a].name, names_value(s.bindings, a, pad));
      }
    }
  }
  if (!added.empty()) {
    std::string end = (old_text.empty() || old_text.back() == '\n') ? "" : "\n";
    for (const auto& [section, lines] : added) {
      end += "\n[" + std::string(section) + "]\n" + lines;
    }
    edits.push_back({old_text.size(), old_text.size(), end});
  }
  // From the end backwards, so earlier offsets stay true.
  std::stable_sort(edits.begin(), edits.end(),
                   [](const Edit& x, const Edit& y) { return x.from > y.from; });
  std::string text(old_text);
  for (const Edit& e : edits) {
    if (e.from > e.to || e.to > text.size()) return settings_text(s);
    text.replace(e.from, e.to - e.from, e.text);
  }
  errors.clear();
  if (!(parse_settings(text, "settings", errors) == s) || !errors.empty()) return settings_text(s);
  return text;
}

}  // namespace quarvex
