#include "app/message_line.h"

namespace quarvex {

std::string message_line(int64_t frame, const char* text, int side) {
  std::string line = std::to_string(frame);
  line +=
      side < 0 ? std::string(": message: ") : ": message for side " + std::to_string(side) + ": ";
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c == '\n') {
      line += "\\n";
    } else {
      line += *c;
    }
  }
  line += '\n';
  return line;
}

Message message_of(const char* text, std::span<const MessageArg> args) {
  Message m{text, {}};
  for (const MessageArg& arg : args) m.args.emplace_back(arg.name, arg.value);
  return m;
}

}  // namespace quarvex
