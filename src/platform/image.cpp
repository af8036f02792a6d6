#include "platform/image.h"

#include <cstring>
#include <fstream>
#include <iterator>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
// The game's pictures are DDS (read by our own decoder) and BMP; PNG is read
// too, for pictures made with today's tools. Every other format of the
// packaged stb_image is left out: several of those readers write past their
// buffers on damaged files (a 16-bit PNM, a JPEG Huffman table of more than
// 256 codes), and no picture of the game needs them.
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#include <stb/stb_image.h>

namespace quarvex {

namespace {
// Nothing the game reads comes near this; a bigger file is refused unread.
constexpr std::streamoff kMaxImageFileSize = 256 << 20;

// Faults in a PNG's chunk list that the packaged stb_image would mishandle,
// or null when there are none. It grows its buffer to the length an IDAT
// chunk claims before it reads the chunk, so a PNG of a few bytes could ask
// for gigabytes: every chunk must fit in the file. And an empty first IDAT
// chunk has it copy nothing into a buffer it never made.
const char* png_chunk_fault(const uint8_t* data, size_t size) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return nullptr;
  bool data_seen = false;
  size_t at = 8;
  while (size - at >= 8) {
    const size_t length = (size_t{data[at]} << 24) | (size_t{data[at + 1]} << 16) |
                          (size_t{data[at + 2]} << 8) | size_t{data[at + 3]};
    if (length > size - at - 8) return "a PNG chunk runs past the end of the file";
    if (std::memcmp(&data[at + 4], "IDAT", 4) == 0) {
      if (length == 0 && !data_seen) return "the first picture data chunk of a PNG is empty";
      data_seen = true;
    }
    at += 8 + length;
    if (size - at < 4) break;
    at += 4;  // the chunk's check sum
  }
  return nullptr;
}

// stb_image does not always say why it failed: some readers fail with an
// empty reason (or one left over from an earlier call), and a reason never
// set is null, which must not reach a std::string.
std::string stb_failure() {
  const char* reason = stbi_failure_reason();
  if (reason == nullptr || *reason == '\0') return "the picture data is damaged";
  return reason;
}
}  // namespace

bool decode_image(const uint8_t* data, size_t size, Image& out, std::string& error) {
  if (size >= 4 && std::memcmp(data, "DDS ", 4) == 0) return decode_dds(data, size, out, error);
  if (size > static_cast<size_t>(kMaxImageFileSize)) {
    error = "picture file is too large";
    return false;
  }
  if (const char* fault = png_chunk_fault(data, size)) {
    error = fault;
    return false;
  }
  const int length = static_cast<int>(size);
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!stbi_info_from_memory(data, length, &width, &height, &channels)) {
    error = stb_failure();
    return false;
  }
  if (width <= 0 || height <= 0 || width > kMaxImageEdge || height > kMaxImageEdge) {
    error = "picture size " + std::to_string(width) + "x" + std::to_string(height) +
            " is outside 1.." + std::to_string(kMaxImageEdge);
    return false;
  }
  stbi_uc* pixels = stbi_load_from_memory(data, length, &width, &height, &channels, 4);
  if (pixels == nullptr) {
    error = stb_failure();
    return false;
  }
  out.width = width;
  out.height = height;
  out.rgba.assign(pixels, pixels + size_t(width) * height * 4);
  stbi_image_free(pixels);
  return true;
}

bool load_image_file(const std::string& path, Image& out, std::string& error) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  const std::streamoff size = file.tellg();
  if (size < 0 || size > kMaxImageFileSize) {
    error = path + " is too large to be a picture";
    return false;
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) {
    error = "cannot read " + path;
    return false;
  }
  if (!decode_image(bytes.data(), bytes.size(), out, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool is_opaque(const Image& image) {
  for (size_t i = 3; i < image.rgba.size(); i += 4) {
    if (image.rgba[i] != 255) return false;
  }
  return true;
}

}  // namespace quarvex
