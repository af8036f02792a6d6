#include "lang/texts.h"

namespace quarvex {

void Texts::note(const char* context, const char* english) const {
  if (asked_ == nullptr) return;
  asked_->insert(context == nullptr ? std::string(english) : std::string(context) + '\4' + english);
}

const char* Texts::tr(const char* english) const {
  // The catalogue's entry for the empty text is its header, never a text.
  if (english[0] == '\0') return english;
  note(nullptr, english);
  const char* text = catalogue_ != nullptr ? catalogue_->find(english) : nullptr;
  return text != nullptr ? text : english;
}

const char* Texts::tr(const char* context, const char* english) const {
  note(context, english);
  const char* text = catalogue_ != nullptr ? catalogue_->find(context, english) : nullptr;
  return text != nullptr ? text : english;
}

std::string Texts::trf(const char* english, std::span<const TextArg> args) const {
  return filled(tr(english), args);
}

}  // namespace quarvex
