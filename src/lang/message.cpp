#include "lang/message.h"

namespace quarvex {

namespace {

std::vector<TextArg> args_of(const Message& m) {
  std::vector<TextArg> args;
  args.reserve(m.args.size());
  for (const auto& [name, value] : m.args) args.push_back(TextArg{name, value});
  return args;
}

}  // namespace

std::string in_english(const Message& m) {
  return filled(m.text, args_of(m));
}

std::string translated(const Texts& texts, const Message& m) {
  return texts.trf(m.text.c_str(), args_of(m));
}

}  // namespace quarvex
