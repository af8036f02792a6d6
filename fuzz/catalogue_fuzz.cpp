// Catalogues (data/lang/*.mo) are files the game reads, so untrusted: any
// bytes must be refused with a reason or read into a catalogue whose every
// entry is UTF-8 inside the data, found again by its own key, and whose
// translations keep their English text's placeholders.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "lang/catalogue.h"
#include "lang/placeholders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  quarvex::Catalogue catalogue;
  std::string error;
  std::vector<std::string> dropped;
  const bool read =
      catalogue.read(std::string(reinterpret_cast<const char*>(data), size), error, dropped);
  if (!read) {
    if (error.empty() || catalogue.size() != 0) std::abort();
    return 0;
  }
  const quarvex::TextArg args[] = {{"a", "1"}, {"level", "80"}};
  for (size_t i = 0; i < catalogue.size(); ++i) {
    const quarvex::CatalogueEntry e = catalogue.entry(i);
    const std::string_view translation(e.translation);
    if (!quarvex::valid_utf8(e.english) || !quarvex::valid_utf8(translation)) std::abort();
    if (!e.english.empty() && !translation.empty() &&
        !quarvex::placeholder_mismatch(e.english, translation).empty()) {
      std::abort();
    }
    const char* found = catalogue.find(e.context, e.english);
    // Two entries may share a key; the first of them is found.
    if (!translation.empty() && found == nullptr) std::abort();
    quarvex::filled(translation, args);
  }
  catalogue.header("Language");
  catalogue.header("X-Quarvex-Face");
  return 0;
}
