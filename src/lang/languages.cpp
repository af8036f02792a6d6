#include "lang/languages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quarvex {

namespace {

bool lower(char c) {
  return c >= 'a' && c <= 'z';
}

bool letter_or_digit(char c) {
  return lower(c) || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// "de_DE.UTF-8@euro" and "de-DE" become "de_DE".
std::string normalised_locale(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  std::string code(locale);
  std::replace(code.begin(), code.end(), '-', '_');
  const size_t region = code.find('_');
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (i < region && c >= 'A' && c <= 'Z') code[i] = static_cast<char>(c - 'A' + 'a');
  }
  return code;
}

bool read_whole(const std::filesystem::path& path, std::string& bytes, std::string& error) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    error = "cannot be read: " + ec.message();
    return false;
  }
  if (size > Catalogue::kMaxBytes) {
    error = "larger than " + std::to_string(Catalogue::kMaxBytes) + " bytes; not a catalogue";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  if (!in) {
    error = "cannot be read";
    return false;
  }
  bytes = content.str();
  return true;
}

}  // namespace

bool is_language_code(std::string_view code) {
  const size_t region = code.find('_');
  const std::string_view language = code.substr(0, region);
  if (language.size() < 2 || language.size() > 3 ||
      !std::all_of(language.begin(), language.end(), lower)) {
    return false;
  }
  if (region == std::string_view::npos) return true;
  const std::string_view rest = code.substr(region + 1);
  return rest.size() >= 2 && rest.size() <= 8 &&
         std::all_of(rest.begin(), rest.end(), letter_or_digit);
}

LanguageSet::LanguageSet() {
  auto english = std::make_unique<Language>();
  english->code = "en";
  languages_.push_back(std::move(english));
}

void LanguageSet::add_folder(const std::string& folder, std::vector<std::string>& problems) {
  std::error_code ec;
  if (!std::filesystem::is_directory(folder, ec)) return;
  std::vector<std::filesystem::path> files;
  for (const auto& item : std::filesystem::directory_iterator(folder, ec)) {
    if (item.path().extension() == ".mo") files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  for (const std::filesystem::path& file : files) {
    const std::string name = file.filename().string();
    const std::string code = file.stem().string();
    if (!is_language_code(code) || code == "en") {
      problems.push_back(file.string() + ": not named as a language (like de.mo); left out");
      continue;
    }
    if (count() >= kMaxLanguages && find(code) < 0) {
      problems.push_back(file.string() + ": more than " + std::to_string(kMaxLanguages) +
                         " languages; left out");
      continue;
    }
    std::string bytes;
    std::string error;
    std::vector<std::string> dropped;
    if (!read_whole(file, bytes, error) || !add(code, std::move(bytes), error, dropped)) {
      problems.push_back(file.string() + ": " + error + "; left out");
      continue;
    }
    for (const std::string& line : dropped) problems.push_back(file.string() + ": " + line);
  }
}

bool LanguageSet::add(const std::string& code, std::string bytes, std::string& error,
                      std::vector<std::string>& dropped) {
  auto language = std::make_unique<Language>();
  language->code = code;
  if (!language->catalogue.read(std::move(bytes), error, dropped)) return false;
  if (language->catalogue.header("X-Quarvex-Face") == "japanese") {
    language->face = TextFace::kJapanese;
  }
  const int existing = find(code);
  if (existing >= 0) {
    languages_[static_cast<size_t>(existing)] = std::move(language);
    return true;
  }
  languages_.push_back(std::move(language));
  std::sort(languages_.begin() + 1, languages_.end(),
            [](const auto& a, const auto& b) { return a->code < b->code; });
  return true;
}

int LanguageSet::find(std::string_view code) const {
  for (int i = 0; i < count(); ++i) {
    if (at(i).code == code) return i;
  }
  return -1;
}

Texts LanguageSet::texts(int i) const {
  Texts texts = i <= 0 || i >= count() ? Texts() : Texts(&at(i).catalogue, at(i).face);
  texts.note_asked_in(asked_);
  return texts;
}

const char* LanguageSet::own_name(int i) const {
  return texts(i).tr("language name", "English");
}

int language_for(const LanguageSet& set, std::string_view locale) {
  const std::string code = normalised_locale(locale);
  if (const int exact = set.find(code); exact >= 0) return exact;
  const std::string language = code.substr(0, code.find('_'));
  if (language.empty()) return -1;
  if (const int general = set.find(language); general >= 0) return general;
  for (int i = 1; i < set.count(); ++i) {
    const std::string& candidate = set.at(i).code;
    if (candidate.substr(0, candidate.find('_')) == language) return i;
  }
  return -1;
}

int choose_language(const LanguageSet& set, std::string_view setting,
                    std::span<const std::string> preferred) {
  if (setting != "auto") {
    if (const int chosen = language_for(set, setting); chosen >= 0) return chosen;
  }
  for (const std::string& locale : preferred) {
    if (const int chosen = language_for(set, locale); chosen >= 0) return chosen;
  }
  return 0;
}

}  // namespace quarvex
