// quarvex-stage: compiles readable stage sources into .aod stage files and
// turns any valid .aod back into text; carries the stage's description
// (NAME.toml beside NAME.aod) along both ways; checks stages as the game
// reads them, makes random battles and installs a stage someone sent.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "stage_text.h"
#include "stages/file_io.h"
#include "stages/player_stages.h"
#include "stages/stage_description.h"
#include "world/random_stage.h"
#include "world/shown_text.h"
#include "world/whole_number.h"

namespace {

namespace fs = std::filesystem;
using quarvex::StageDescription;
using quarvex::StageSource;

constexpr const char* kUsage =
    "usage: quarvex-stage compile SRC.txt OUT.aod   (and SRC.toml -> OUT.toml when there)\n"
    "       quarvex-stage decompile IN.aod [OUT.txt] (text on standard output, or OUT.txt\n"
    "                                                 and IN.toml -> OUT.toml)\n"
    "       quarvex-stage check FILE...              (stages as the game reads them)\n"
    "       quarvex-stage random SEED GROUND OUT.aod (a random battle, and OUT.toml)\n"
    "       quarvex-stage install FILE [--replace]   (a stage into your stages folder)\n";
// Nothing near this size is a stage source.
constexpr size_t kMaxSourceBytes = 64 << 20;

std::string description_path_of(const std::string& path) {
  return fs::path(path).replace_extension(quarvex::kDescriptionExtension).string();
}

void print_errors(const std::vector<std::string>& errors) {
  for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
}

int fail(const std::string& error) {
  std::fprintf(stderr, "quarvex-stage: %s\n", error.c_str());
  return 1;
}

// Reads and checks the description beside `path` when there is one.
bool read_description(const std::string& path, bool& found, StageDescription& d,
                      std::vector<std::string>& errors) {
  const std::string description_path = description_path_of(path);
  std::error_code ec;
  found = fs::exists(description_path, ec);
  if (!found) return true;
  std::string text;
  std::string error;
  if (!quarvex::read_small_file(description_path, quarvex::kMaxDescriptionBytes, text, error)) {
    errors.push_back(error);
    return false;
  }
  return quarvex::parse_stage_description(text, description_path, d, errors);
}

std::string as_text(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

int compile(const std::string& source_path, const std::string& out_path) {
  std::string text;
  std::string error;
  if (!quarvex::read_small_file(source_path, kMaxSourceBytes, text, error)) return fail(error);
  StageSource stage;
  std::vector<std::string> errors;
  quarvex::parse_stage_text(text, source_path, stage, errors);
  bool has_description = false;
  StageDescription description;
  read_description(source_path, has_description, description, errors);
  if (!errors.empty()) {
    print_errors(errors);
    std::fprintf(stderr, "quarvex-stage: %zu error(s); %s not written\n", errors.size(),
                 out_path.c_str());
    return 1;
  }
  // Compiled beside its source, the description is already where it belongs,
  // as the player wrote it.
  std::error_code ec;
  if (fs::equivalent(description_path_of(source_path), description_path_of(out_path), ec)) {
    has_description = false;
  }
  if (!quarvex::write_player_stage(out_path, as_text(quarvex::encode_stage(stage)),
                                   has_description ? &description : nullptr, true, error)) {
    return fail(error);
  }
  return 0;
}

bool read_stage(const std::string& path, StageSource& stage, std::string& error) {
  std::vector<uint8_t> bytes;
  return quarvex::read_small_file(path, quarvex::kMaxStageFileSize, bytes, error) &&
         quarvex::decode_stage(bytes, path, stage, error);
}

int decompile(const std::string& path, const std::string& out_path) {
  std::string error;
  StageSource stage;
  if (!read_stage(path, stage, error)) return fail(error);
  const std::string text = quarvex::format_stage_text(stage);
  if (out_path.empty()) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout)) {
      return fail("writing standard output failed");
    }
    return 0;
  }
  bool has_description = false;
  StageDescription description;
  std::vector<std::string> errors;
  if (!read_description(path, has_description, description, errors)) {
    print_errors(errors);
    return fail("the description has errors; nothing written");
  }
  if (!quarvex::write_player_stage(out_path, text, has_description ? &description : nullptr, true,
                                   error)) {
    return fail(error);
  }
  return 0;
}

// Each stage as the game's list of stages shows it.
int check(const std::vector<std::string>& paths) {
  int status = 0;
  for (const std::string& path : paths) {
    quarvex::PlayableStage stage;
    std::vector<std::string> errors;
    if (!quarvex::read_player_stage(path, stage, errors)) {
      print_errors(errors);
      status = 1;
      continue;
    }
    const size_t placements = stage.bytes.size() < 2 ? 0 : (stage.bytes[0] | stage.bytes[1] << 8);
    std::printf("%s: \"%s\", ground %d, %zu placements\n", quarvex::shown_text(path, 200).c_str(),
                quarvex::shown_text(stage.description.title).c_str(), stage.description.ground,
                placements);
  }
  return status;
}

int random(const std::string& seed_text, const std::string& ground_text,
           const std::string& out_path) {
  int64_t seed = 0;
  int64_t ground = 0;
  if (quarvex::parse_whole_number(seed_text, 0, UINT32_MAX, seed) != quarvex::NumberCheck::kOk) {
    return fail("seed " + quarvex::quoted_text(seed_text) + " is not a whole number 0.." +
                std::to_string(UINT32_MAX));
  }
  if (quarvex::parse_whole_number(ground_text, 1, quarvex::kGroundCount, ground) !=
      quarvex::NumberCheck::kOk) {
    return fail("ground " + quarvex::quoted_text(ground_text) + " is not 1, 2 or 3");
  }
  const quarvex::PlayableStage stage =
      quarvex::generated_stage(static_cast<uint32_t>(seed), static_cast<int>(ground));
  std::string error;
  if (!quarvex::write_player_stage(out_path, as_text(stage.bytes), &stage.description, true,
                                   error)) {
    return fail(error);
  }
  return 0;
}

// Copies a stage (its stage file and its description, when there is one)
// into the player's stages folder, after checking both as the game would.
int install(const std::string& path, bool replace) {
  quarvex::PlayableStage stage;
  std::vector<std::string> errors;
  if (!quarvex::read_player_stage(path, stage, errors)) {
    print_errors(errors);
    return fail("not installed");
  }
  const std::string folder = quarvex::player_stage_folder();
  if (folder.empty()) return fail("neither XDG_DATA_HOME nor HOME is set: no stages folder");
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return fail("cannot create " + folder + ": " + ec.message());
  const std::string out_path = (fs::path(folder) / fs::path(stage.stage_path).filename()).string();
  std::string error;
  if (!quarvex::write_player_stage(out_path, as_text(stage.bytes), &stage.description, replace,
                                   error)) {
    return fail(error + (replace ? "" : " (--replace replaces it)"));
  }
  std::printf("installed \"%s\" as %s\n", quarvex::shown_text(stage.description.title).c_str(),
              quarvex::shown_text(out_path, 200).c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const std::string command = args.empty() ? "" : args[0];
  if (args.size() == 3 && command == "compile") return compile(args[1], args[2]);
  if ((args.size() == 2 || args.size() == 3) && command == "decompile") {
    return decompile(args[1], args.size() == 3 ? args[2] : "");
  }
  if (args.size() >= 2 && command == "check") return check({args.begin() + 1, args.end()});
  if (args.size() == 4 && command == "random") return random(args[1], args[2], args[3]);
  if (command == "install" && args.size() == 2) return install(args[1], false);
  if (command == "install" && args.size() == 3 && args[2] == "--replace") {
    return install(args[1], true);
  }
  if (args.size() == 1 && (command == "--help" || command == "-h")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::fputs(kUsage, stderr);
  return 2;
}
