// quarvex-bake: makes the game's pictures from the sources in assets/.
//
//   quarvex-bake --atlases SPRITE_DIR OUT_DIR
//   quarvex-bake --ground temperate|desert|winter SEED BASE_OFFSET OUT.bmp
//   quarvex-bake --contact-sheet FILE.png [SPRITE_DIR]

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "atlas.h"
#include "bmp.h"
#include "contact_sheet.h"
#include "dds.h"
#include "ground.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: quarvex-bake --atlases SPRITE_DIR OUT_DIR\n"
               "       quarvex-bake --ground temperate|desert|winter SEED BASE_OFFSET OUT.bmp\n"
               "       quarvex-bake --contact-sheet FILE.png [SPRITE_DIR]\n");
  return 2;
}

// Writes through a temporary name so that a failed run never leaves half a file.
bool write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::path temporary = path;
  temporary += ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "quarvex-bake: %s: cannot write\n", temporary.c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    std::fprintf(stderr, "quarvex-bake: %s: %s\n", path.c_str(), ec.message().c_str());
    return false;
  }
  return true;
}

bool parse_int(const std::string& text, int& value) {
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return ec == std::errc() && ptr == end;
}

int bake_atlases(const std::filesystem::path& sprite_root, const std::filesystem::path& out_dir) {
  std::error_code ec;
  std::filesystem::create_directories(out_dir, ec);
  for (const char* name : bake::kAtlasNames) {
    bake::Image atlas;
    std::string error;
    if (!bake::bake_atlas(sprite_root / name, atlas, error)) {
      std::fprintf(stderr, "quarvex-bake: %s\n", error.c_str());
      return 1;
    }
    if (!write_file(out_dir / (std::string(name) + ".dds"), bake::encode_dds(atlas))) return 1;
  }
  return 0;
}

int bake_ground(const std::vector<std::string>& args) {
  bake::GroundParams params;
  int offset = 0;
  if (!bake::parse_landscape(args[2], params.landscape)) {
    std::fprintf(stderr, "quarvex-bake: unknown landscape '%s'\n", args[2].c_str());
    return 2;
  }
  if (!parse_int(args[3], params.seed)) {
    std::fprintf(stderr, "quarvex-bake: bad seed '%s'\n", args[3].c_str());
    return 2;
  }
  if (!parse_int(args[4], offset) || offset < 50 || offset > 450) {
    std::fprintf(stderr, "quarvex-bake: base offset '%s' is not 50..450\n", args[4].c_str());
    return 2;
  }
  params.base_offset = offset;
  return write_file(args[5], bake::encode_bmp24(bake::paint_ground(params))) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  if (args.size() == 4 && args[1] == "--atlases") return bake_atlases(args[2], args[3]);
  if (args.size() == 6 && args[1] == "--ground") return bake_ground(args);
  if ((args.size() == 3 || args.size() == 4) && args[1] == "--contact-sheet") {
    std::filesystem::path sprites =
        args.size() == 4 ? std::filesystem::path(args[3])
                         : std::filesystem::path(QUARVEX_SOURCE_DIR) / "assets" / "sprites";
    std::string error;
    if (!bake::draw_contact_sheet(sprites, args[2], error)) {
      std::fprintf(stderr, "quarvex-bake: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  return usage();
}
