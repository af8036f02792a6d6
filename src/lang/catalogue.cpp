#include "lang/catalogue.h"

#include <algorithm>

#include "lang/placeholders.h"

namespace quarvex {

namespace {

constexpr uint32_t kMagic = 0x950412DEu;
constexpr uint32_t kMagicSwapped = 0xDE120495u;
constexpr size_t kHeaderBytes = 28;
// A context and its English text are joined by this byte in the file.
constexpr char kContextEnd = '\4';

uint32_t read_u32(const std::string& bytes, size_t at, bool big_endian) {
  const auto b = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i]));
  };
  return big_endian ? (b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3))
                    : (b(3) << 24 | b(2) << 16 | b(1) << 8 | b(0));
}

// Orders a stored key against the key (context, English) would have,
// without building that key.
int compare_key(std::string_view stored, std::string_view context, std::string_view english) {
  if (!context.empty()) {
    const size_t n = std::min(stored.size(), context.size());
    if (const int c = stored.substr(0, n).compare(context); c != 0) return c;
    if (stored.size() == n) return -1;
    const auto next = static_cast<unsigned char>(stored[n]);
    if (next != static_cast<unsigned char>(kContextEnd)) {
      return next < static_cast<unsigned char>(kContextEnd) ? -1 : 1;
    }
    stored.remove_prefix(n + 1);
  }
  return stored.compare(english);
}

// A short quote of an English text for a message.
std::string quoted(std::string_view text) {
  constexpr size_t kLongest = 40;
  std::string q = "\"";
  for (const char c : text.substr(0, kLongest)) q += c == '\n' ? ' ' : c;
  return q + (text.size() > kLongest ? "...\"" : "\"");
}

}  // namespace

bool valid_utf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t more = 0;
    uint32_t point = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      more = 1;
      point = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      more = 2;
      point = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      more = 3;
      point = c & 0x07;
    } else {
      return false;
    }
    if (i + more >= text.size()) return false;
    for (size_t k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      point = point << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and points beyond Unicode are not UTF-8.
    constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (point < kLeast[more] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
      return false;
    }
    i += more + 1;
  }
  return true;
}

bool Catalogue::read(std::string bytes, std::string& error, std::vector<std::string>& dropped) {
  bytes_.clear();
  entries_.clear();
  header_ = {};
  if (bytes.size() > kMaxBytes) {
    error = "larger than " + std::to_string(kMaxBytes) + " bytes; not a catalogue";
    return false;
  }
  if (bytes.size() < kHeaderBytes) {
    error = "too short for a catalogue";
    return false;
  }
  const uint32_t magic = read_u32(bytes, 0, false);
  if (magic != kMagic && magic != kMagicSwapped) {
    error = "not a compiled catalogue (.mo)";
    return false;
  }
  const bool big_endian = magic == kMagicSwapped;
  const uint32_t revision = read_u32(bytes, 4, big_endian);
  if (revision >> 16 > 1) {
    error = "catalogue format revision " + std::to_string(revision >> 16) + " is not known";
    return false;
  }
  const uint32_t count = read_u32(bytes, 8, big_endian);
  const uint64_t originals = read_u32(bytes, 12, big_endian);
  const uint64_t translations = read_u32(bytes, 16, big_endian);
  if (count > kMaxEntries) {
    error = std::to_string(count) + " entries; at most " + std::to_string(kMaxEntries);
    return false;
  }
  const uint64_t table_bytes = uint64_t{count} * 8;
  if (originals + table_bytes > bytes.size() || translations + table_bytes > bytes.size()) {
    error = "its tables reach past the end of the file";
    return false;
  }
  // A string is its length, its offset and a NUL after it, all inside the file.
  auto string_at = [&](uint64_t table, uint32_t i, uint32_t& offset, uint32_t& length) {
    length = read_u32(bytes, table + uint64_t{i} * 8, big_endian);
    offset = read_u32(bytes, table + uint64_t{i} * 8 + 4, big_endian);
    return uint64_t{offset} + length < bytes.size() && bytes[offset + length] == '\0';
  };
  std::vector<Entry> entries;
  entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t key_offset = 0;
    uint32_t key_length = 0;
    uint32_t text_offset = 0;
    uint32_t text_length = 0;
    if (!string_at(originals, i, key_offset, key_length) ||
        !string_at(translations, i, text_offset, text_length)) {
      error = "entry " + std::to_string(i) + " reaches past the end of the file";
      return false;
    }
    // A plural entry holds its forms one after another: the first is the one used.
    std::string_view key(bytes.data() + key_offset, key_length);
    std::string_view text(bytes.data() + text_offset, text_length);
    key = key.substr(0, key.find('\0'));
    text = text.substr(0, text.find('\0'));
    if (!valid_utf8(key) || !valid_utf8(text)) {
      error = "entry " + std::to_string(i) + " is not UTF-8";
      return false;
    }
    const size_t context_end = key.find(kContextEnd);
    if (context_end == 0) {
      // An empty context is no context the game asks for.
      dropped.push_back(quoted(key.substr(1)) + ": an empty context; left out");
      continue;
    }
    const std::string_view english =
        context_end == std::string_view::npos ? key : key.substr(context_end + 1);
    if (!key.empty() && !text.empty()) {
      if (const std::string mismatch = placeholder_mismatch(english, text); !mismatch.empty()) {
        dropped.push_back(quoted(english) + ": " + mismatch + "; the English text is shown");
        continue;
      }
    }
    entries.push_back(
        Entry{key_offset, static_cast<uint32_t>(key.size()),
              context_end == std::string_view::npos ? 0 : static_cast<uint32_t>(context_end),
              text_offset});
  }
  bytes_ = std::move(bytes);
  std::stable_sort(entries.begin(), entries.end(),
                   [this](const Entry& a, const Entry& b) { return key(a) < key(b); });
  // A key given twice is the first one's: a lookup finds exactly one entry.
  entries.erase(std::unique(entries.begin(), entries.end(),
                            [this](const Entry& a, const Entry& b) { return key(a) == key(b); }),
                entries.end());
  entries_ = std::move(entries);
  if (!entries_.empty() && entries_.front().key_length == 0) {
    header_ = std::string_view(bytes_.c_str() + entries_.front().translation_offset);
    const std::string_view charset = header("Content-Type");
    const size_t at = charset.find("charset=");
    if (at != std::string_view::npos) {
      std::string name(charset.substr(at + 8));
      for (char& c : name) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
      if (name != "UTF-8") {
        error = "written in " + std::string(charset.substr(at + 8)) + "; the game reads UTF-8";
        bytes_.clear();
        entries_.clear();
        header_ = {};
        return false;
      }
    }
  }
  return true;
}

const char* Catalogue::find(std::string_view context, std::string_view english) const {
  const auto at = std::lower_bound(entries_.begin(), entries_.end(), 0, [&](const Entry& e, int) {
    return compare_key(key(e), context, english) < 0;
  });
  if (at == entries_.end() || compare_key(key(*at), context, english) != 0) return nullptr;
  const char* text = bytes_.c_str() + at->translation_offset;
  return text[0] == '\0' ? nullptr : text;
}

std::string_view Catalogue::header(std::string_view field) const {
  std::string_view rest = header_;
  while (!rest.empty()) {
    const size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.size() > field.size() && line.substr(0, field.size()) == field &&
        line[field.size()] == ':') {
      line.remove_prefix(field.size() + 1);
      while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
      while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == ';')) {
        line.remove_suffix(1);
      }
      return line;
    }
  }
  return {};
}

CatalogueEntry Catalogue::entry(size_t i) const {
  const Entry& e = entries_[i];
  const std::string_view k = key(e);
  CatalogueEntry out{{}, k, bytes_.c_str() + e.translation_offset};
  if (e.context_length > 0) {
    out.context = k.substr(0, e.context_length);
    out.english = k.substr(e.context_length + 1);
  }
  return out;
}

}  // namespace quarvex
