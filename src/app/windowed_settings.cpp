#include <cstdio>
#include <string>

#include "app/drivers.h"
#include "shell/settings.h"

namespace quarvex {

// Problems of the file go to standard error; the file is only read, never
// created.
int print_settings(const Options& options) {
  const std::string path =
      options.config_file.empty() ? default_settings_path() : options.config_file;
  const SettingsFile file = load_settings(path, false);
  for (const std::string& error : file.errors) std::fprintf(stderr, "quarvex: %s\n", error.c_str());
  std::fputs(settings_text(file.settings).c_str(), stdout);
  return 0;
}

}  // namespace quarvex
