#include <cstdio>
#include <string>

#include "app/drivers.h"

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
  if (options.print_settings) return quarvex::print_settings(options);
  if (!options.connect.empty() && options.headless) return quarvex::run_network_client(options);
  return options.headless ? quarvex::run_headless(options) : quarvex::run_windowed(options);
}
