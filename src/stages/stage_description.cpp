#include "stages/stage_description.h"

// Compiled from its headers with this build's flags; every file that
// includes it sets these two the same way.
#define TOML_HEADER_ONLY 1
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

#include <cstdio>
#include <utility>

#include "world/shown_text.h"

namespace quarvex {

namespace {

// How a text entry may look.
struct TextRule {
  const char* name;
  size_t max_characters;
  bool required;
  bool line_breaks;  // notes may run over several lines (and hold tabs)
};

constexpr TextRule kTitle{"title", kMaxTitleCharacters, true, false};
constexpr TextRule kAuthor{"author", kMaxAuthorCharacters, false, false};
constexpr TextRule kNotes{"notes", kMaxNotesCharacters, false, true};

// What is wrong with a text entry's value, or empty.
std::string text_problem(const TextRule& rule, std::string_view text) {
  if (rule.required && text.find_first_not_of(' ') == std::string_view::npos) {
    return std::string(rule.name) + " is empty";
  }
  if (!is_valid_utf8(text)) return std::string(rule.name) + " is not valid UTF-8 text";
  const size_t characters = character_count(text);
  if (characters > rule.max_characters) {
    return std::string(rule.name) + " has " + std::to_string(characters) +
           " characters, more than " + std::to_string(rule.max_characters);
  }
  if (!is_plain_text(text, rule.line_breaks)) {
    return std::string(rule.name) + " holds a control character: " + quoted_text(text);
  }
  return {};
}

class Reader {
 public:
  Reader(const std::string& file_name, std::vector<std::string>& errors)
      : file_name_(file_name), errors_(errors) {}

  // `what` quotes the file's text only through shown_text.
  void error_at(const toml::source_region& where, const std::string& what) {
    errors_.push_back(shown_text(file_name_, 200) + ":" + std::to_string(where.begin.line) + ": " +
                      what);
  }
  void error(const std::string& what) {
    errors_.push_back(shown_text(file_name_, 200) + ": " + what);
  }

  void text(const toml::table& root, const TextRule& rule, std::string& out) {
    const toml::node* node = root.get(rule.name);
    if (node == nullptr) {
      if (rule.required)
        error(std::string(rule.name) + " is missing (" + rule.name + " = \"...\")");
      return;
    }
    const auto* value = node->as_string();
    if (value == nullptr) {
      error_at(node->source(), std::string(rule.name) + ": expected text in quotes");
      return;
    }
    const std::string problem = text_problem(rule, value->get());
    if (!problem.empty()) {
      error_at(node->source(), problem);
      return;
    }
    out = value->get();
  }

  void ground(const toml::table& root, int& out) {
    const toml::node* node = root.get("ground");
    if (node == nullptr) {
      error("ground is missing (ground = 1, 2 or 3: the ground picture)");
      return;
    }
    const auto value = node->value_exact<int64_t>();
    if (!value || *value < 1 || *value > kGroundCount) {
      error_at(node->source(), "ground: expected 1, 2 or 3 (the ground picture)");
      return;
    }
    out = static_cast<int>(*value);
  }

 private:
  const std::string& file_name_;
  std::vector<std::string>& errors_;
};

void append_toml_string(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (b < 0x20 || b == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", b);
      out += escape;
    } else {
      out += c;
    }
  }
  out += '"';
}

}  // namespace

size_t character_count(std::string_view text) {
  size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

bool parse_stage_description(std::string_view text, const std::string& file_name,
                             StageDescription& out, std::vector<std::string>& errors) {
  out = StageDescription{};
  const size_t errors_before = errors.size();
  Reader reader(file_name, errors);
  if (text.size() > kMaxDescriptionBytes) {
    reader.error("larger than " + std::to_string(kMaxDescriptionBytes) + " bytes");
    return false;
  }
  toml::table root;
  try {
    root = toml::parse(text, std::string_view(file_name));
  } catch (const toml::parse_error& e) {
    // The parser's message may quote the bytes it stopped at.
    reader.error_at(e.source(), shown_text(e.description(), 300));
    return false;
  }
  reader.text(root, kTitle, out.title);
  reader.ground(root, out.ground);
  reader.text(root, kAuthor, out.author);
  reader.text(root, kNotes, out.notes);
  return errors.size() == errors_before;
}

std::string stage_description_text(const StageDescription& d) {
  std::string text = "# quarvex stage description\ntitle = ";
  append_toml_string(text, d.title);
  text += "\nground = " + std::to_string(d.ground) + "  # 1..3: the ground picture\n";
  if (!d.author.empty()) {
    text += "author = ";
    append_toml_string(text, d.author);
    text += '\n';
  }
  if (!d.notes.empty()) {
    text += "notes = ";
    append_toml_string(text, d.notes);
    text += '\n';
  }
  return text;
}

std::string description_problem(const StageDescription& d) {
  for (const auto& [rule, value] :
       {std::pair{kTitle, &d.title}, std::pair{kAuthor, &d.author}, std::pair{kNotes, &d.notes}}) {
    std::string problem = text_problem(rule, *value);
    if (!problem.empty()) return problem;
  }
  if (d.ground < 1 || d.ground > kGroundCount) return "ground: expected 1, 2 or 3";
  return {};
}

}  // namespace quarvex
