#include <cstdio>
#include <string>

#include "app/drivers.h"
#include "shell/settings.h"

namespace {

// The settings in effect, as TOML on standard output; problems of the file
// on standard error. The file is only read, never created.
int print_settings(const quarvex::Options& options) {
  const std::string path =
      options.config_file.empty() ? quarvex::default_settings_path() : options.config_file;
  const quarvex::SettingsFile file = quarvex::load_settings(path, false);
  for (const std::string& error : file.errors) std::fprintf(stderr, "quarvex: %s\n", error.c_str());
  std::fputs(quarvex::settings_text(file.settings).c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  quarvex::Options options;
  std::string error;
  switch (quarvex::parse_options(argc, argv, options, error)) {
    case quarvex::ParseOutcome::kHelp:
      std::fputs(quarvex::usage_text(), stdout);
      return 0;
    case quarvex::ParseOutcome::kVersion:
      std::fputs(quarvex::version_text(), stdout);
      return 0;
    case quarvex::ParseOutcome::kError:
      std::fprintf(stderr, "quarvex: %s\n", error.c_str());
      return 2;
    case quarvex::ParseOutcome::kRun:
      break;
  }
  if (options.print_settings) return print_settings(options);
  return options.headless ? quarvex::run_headless(options) : quarvex::run_windowed(options);
}
