#pragma once
// A compiled message catalogue (gettext's .mo format, as msgfmt writes it):
// for each English text, and optionally a context, its translation. Read
// from a file the game does not trust: every count, offset and length is
// checked against the data, every string must be UTF-8, and an entry whose
// translation does not keep the English text's placeholders is left out
// (the English text shows instead).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarvex {

struct CatalogueEntry {
  std::string_view context;  // empty when the entry has none
  std::string_view english;
  const char* translation;  // NUL-terminated UTF-8
};

class Catalogue {
 public:
  // Catalogues are tens of kilobytes; anything far larger is not one.
  static constexpr size_t kMaxBytes = size_t{4} << 20;
  static constexpr uint32_t kMaxEntries = 65536;

  // Replaces what the catalogue held with the catalogue in `bytes`. False,
  // leaving it empty, with a one-line reason when the bytes are not a
  // catalogue; entries left out are named in `dropped`, one line each.
  bool read(std::string bytes, std::string& error, std::vector<std::string>& dropped);

  // The translation, or null when the catalogue has none (or an empty one).
  const char* find(std::string_view english) const { return find({}, english); }
  const char* find(std::string_view context, std::string_view english) const;
  // A field of the header entry ("Language", "X-Quarvex-Face"), empty when absent.
  std::string_view header(std::string_view field) const;

  size_t size() const { return entries_.size(); }
  // Sorted by context, then English text.
  CatalogueEntry entry(size_t i) const;

 private:
  struct Entry {
    uint32_t key_offset;
    uint32_t key_length;      // context, '\4', English text; or the English text alone
    uint32_t context_length;  // 0 without a context (an empty one is left out)
    uint32_t translation_offset;
  };
  std::string_view key(const Entry& e) const {
    return std::string_view(bytes_).substr(e.key_offset, e.key_length);
  }

  std::string bytes_;
  std::vector<Entry> entries_;
  std::string_view header_;
};

// True when `text` is well-formed UTF-8.
bool valid_utf8(std::string_view text);

}  // namespace quarvex
