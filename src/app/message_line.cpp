#include "app/message_line.h"

namespace quarvex {

std::string message_line(int64_t frame, const char* text) {
  std::string line = std::to_string(frame) + ": message: ";
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

}  // namespace quarvex
