// Stage descriptions come with stages other players made, so any text must
// read without a crash or undefined behaviour in the TOML library or ours;
// every problem is one line naming the file and quoting nothing raw; and a
// description that reads cleanly is written back as text that reads as the
// same description.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "stages/stage_description.h"
#include "world/shown_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  quarvex::StageDescription d;
  std::vector<std::string> errors;
  const bool ok = quarvex::parse_stage_description(text, "fuzz.toml", d, errors);
  if (ok != errors.empty()) std::abort();
  for (const std::string& e : errors) {
    if (e.rfind("fuzz.toml", 0) != 0 || !quarvex::is_plain_text(e, false)) std::abort();
  }
  if (!ok) return 0;
  if (!quarvex::description_problem(d).empty()) std::abort();
  quarvex::StageDescription again;
  std::vector<std::string> again_errors;
  if (!quarvex::parse_stage_description(quarvex::stage_description_text(d), "again.toml", again,
                                        again_errors) ||
      !(again == d)) {
    std::abort();
  }
  return 0;
}
