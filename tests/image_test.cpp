// Reading pictures: the DDS reader on good and broken files, other formats
// through the general decoder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/gl_device.h"
#include "platform/image.h"
#include "test_files.h"

namespace quarvex {
namespace {

constexpr uint32_t kFourCc = 0x4;
constexpr uint32_t kRgb = 0x40;
constexpr uint32_t kAlphaPixels = 0x1;

void put_u32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct Masks {
  uint32_t r, g, b, a;
};

std::vector<uint8_t> dds_header(uint32_t width, uint32_t height, uint32_t flags, uint32_t code,
                                uint32_t bits, Masks m) {
  std::vector<uint8_t> b(128, 0);
  std::memcpy(b.data(), "DDS ", 4);
  put_u32(b, 4, 124);
  put_u32(b, 12, height);
  put_u32(b, 16, width);
  put_u32(b, 76, 32);
  put_u32(b, 80, flags);
  put_u32(b, 84, code);
  put_u32(b, 88, bits);
  put_u32(b, 92, m.r);
  put_u32(b, 96, m.g);
  put_u32(b, 100, m.b);
  put_u32(b, 104, m.a);
  return b;
}

uint32_t code_of(const char* s) {
  uint32_t v = 0;
  std::memcpy(&v, s, 4);
  return v;
}

std::vector<uint8_t> pixel_at(const Image& img, int x, int y) {
  const uint8_t* p = &img.rgba[(size_t(y) * img.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

bool decode(const std::vector<uint8_t>& bytes, Image& img, std::string& error) {
  return decode_dds(bytes.data(), bytes.size(), img, error);
}

TEST(Dds, ThirtyTwoBitWithAlphaMasks) {
  auto b = dds_header(2, 1, kRgb | kAlphaPixels, 0, 32,
                      {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000});
  for (uint32_t px : {0x80102030u, 0xFFFFFFFFu}) {
    b.resize(b.size() + 4);
    put_u32(b, b.size() - 4, px);
  }
  Image img;
  std::string error;
  ASSERT_TRUE(decode(b, img, error)) << error;
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(img.height, 1);
  EXPECT_EQ(pixel_at(img, 0, 0), (std::vector<uint8_t>{0x10, 0x20, 0x30, 0x80}));
  EXPECT_EQ(pixel_at(img, 1, 0), (std::vector<uint8_t>{255, 255, 255, 255}));
}

TEST(Dds, TwentyFourBitIsOpaqueAndSixteenBitChannelsAreWidened) {
  auto rgb = dds_header(1, 2, kRgb, 0, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0});
  rgb.insert(rgb.end(), {0x01, 0x02, 0x03, 0xFF, 0x00, 0x00});
  Image img;
  std::string error;
  ASSERT_TRUE(decode(rgb, img, error)) << error;
  EXPECT_EQ(pixel_at(img, 0, 0), (std::vector<uint8_t>{3, 2, 1, 255}));
  EXPECT_EQ(pixel_at(img, 0, 1), (std::vector<uint8_t>{0, 0, 255, 255}));

  // A4R4G4B4: 0xF80F is alpha 15, red 8, green 0, blue 15.
  auto argb4 = dds_header(1, 1, kRgb | kAlphaPixels, 0, 16, {0x0F00, 0x00F0, 0x000F, 0xF000});
  argb4.insert(argb4.end(), {0x0F, 0xF8});
  ASSERT_TRUE(decode(argb4, img, error)) << error;
  EXPECT_EQ(pixel_at(img, 0, 0), (std::vector<uint8_t>{136, 0, 255, 255}));
}

TEST(Dds, Dxt1OpaqueAndPunchThroughBlocks) {
  auto b = dds_header(4, 8, kFourCc, code_of("DXT1"), 0, {});
  // Block 1: c0 white > c1 black, texel 0 index 0, texel 1 index 1, texel 2 index 2.
  b.insert(b.end(), {0xFF, 0xFF, 0x00, 0x00, 0b100100, 0, 0, 0});
  // Block 2: c0 <= c1, index 3 is transparent black.
  b.insert(b.end(), {0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
  Image img;
  std::string error;
  ASSERT_TRUE(decode(b, img, error)) << error;
  EXPECT_EQ(pixel_at(img, 0, 0), (std::vector<uint8_t>{255, 255, 255, 255}));
  EXPECT_EQ(pixel_at(img, 1, 0), (std::vector<uint8_t>{0, 0, 0, 255}));
  EXPECT_EQ(pixel_at(img, 2, 0), (std::vector<uint8_t>{170, 170, 170, 255}));
  EXPECT_EQ(pixel_at(img, 3, 7), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(Dds, Dxt3AndDxt5Alpha) {
  auto dxt3 = dds_header(4, 4, kFourCc, code_of("DXT3"), 0, {});
  dxt3.insert(dxt3.end(), {0x5F, 0, 0, 0, 0, 0, 0, 0});  // texel 0 alpha 15, texel 1 alpha 5
  dxt3.insert(dxt3.end(), {0xFF, 0xFF, 0x00, 0x00, 0, 0, 0, 0});
  Image img;
  std::string error;
  ASSERT_TRUE(decode(dxt3, img, error)) << error;
  EXPECT_EQ(pixel_at(img, 0, 0)[3], 255);
  EXPECT_EQ(pixel_at(img, 1, 0)[3], 85);
  EXPECT_EQ(pixel_at(img, 2, 0)[3], 0);

  auto dxt5 = dds_header(4, 4, kFourCc, code_of("DXT5"), 0, {});
  // a0 200 > a1 100: index 0 -> 200, index 1 -> 100, index 2 -> (6*200+1*100)/7.
  dxt5.insert(dxt5.end(), {200, 100, 0b10001000, 0, 0, 0, 0, 0});
  dxt5.insert(dxt5.end(), {0xFF, 0xFF, 0x00, 0x00, 0, 0, 0, 0});
  ASSERT_TRUE(decode(dxt5, img, error)) << error;
  EXPECT_EQ(pixel_at(img, 0, 0)[3], 200);
  EXPECT_EQ(pixel_at(img, 1, 0)[3], 100);
  EXPECT_EQ(pixel_at(img, 2, 0)[3], 185);
}

TEST(Dds, BrokenFilesAreRefusedWithAReason) {
  Image img;
  std::string error;
  const std::vector<uint8_t> tiny = {'D', 'D', 'S', ' '};
  EXPECT_FALSE(decode(tiny, img, error));
  EXPECT_FALSE(error.empty());

  auto wrong_magic = dds_header(1, 1, kRgb, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0});
  wrong_magic[0] = 'X';
  wrong_magic.resize(132);
  EXPECT_FALSE(decode(wrong_magic, img, error));

  // One pixel short of the picture.
  auto truncated = dds_header(4, 4, kRgb, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0});
  truncated.resize(128 + 4 * 4 * 4 - 1);
  EXPECT_FALSE(decode(truncated, img, error));
  EXPECT_NE(error.find("shorter"), std::string::npos);

  // A huge size must be refused before anything is allocated.
  auto huge = dds_header(0xFFFFFFFF, 0xFFFFFFFF, kFourCc, code_of("DXT1"), 0, {});
  EXPECT_FALSE(decode(huge, img, error));
  auto zero = dds_header(0, 4, kRgb, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0});
  EXPECT_FALSE(decode(zero, img, error));

  auto dxt_short = dds_header(8, 8, kFourCc, code_of("DXT5"), 0, {});
  dxt_short.resize(128 + 63);
  EXPECT_FALSE(decode(dxt_short, img, error));

  auto unknown = dds_header(4, 4, kFourCc, code_of("ATI2"), 0, {});
  unknown.resize(128 + 64);
  EXPECT_FALSE(decode(unknown, img, error));

  auto odd_bits = dds_header(1, 1, kRgb, 0, 12, {0xF00, 0xF0, 0xF, 0});
  odd_bits.resize(140);
  EXPECT_FALSE(decode(odd_bits, img, error));

  auto bad_header_size = dds_header(1, 1, kRgb, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0});
  put_u32(bad_header_size, 4, 1000);
  bad_header_size.resize(132);
  EXPECT_FALSE(decode(bad_header_size, img, error));
}

TEST(Dds, NonMultipleOfFourEdgesReadOnlyTheirTexels) {
  auto b = dds_header(5, 3, kFourCc, code_of("DXT1"), 0, {});
  for (int block = 0; block < 2; ++block) b.insert(b.end(), {0xFF, 0xFF, 0, 0, 0, 0, 0, 0});
  Image img;
  std::string error;
  ASSERT_TRUE(decode(b, img, error)) << error;
  EXPECT_EQ(img.rgba.size(), 5u * 3u * 4u);
  EXPECT_EQ(pixel_at(img, 4, 2), (std::vector<uint8_t>{255, 255, 255, 255}));
}

TEST(DecodeImage, AHugePictureFromATinyFileIsRefusedBeforeDecoding) {
  // A BMP header claiming 16000x16000 and no pixels: decoding would take
  // gigabytes.
  std::vector<uint8_t> bmp = {'B', 'M', 54, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                              0,   0,   0,  0, 0, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 0, 0,
                              0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0};
  put_u32(bmp, 18, 16000);
  put_u32(bmp, 22, 16000);
  Image img;
  std::string error;
  EXPECT_FALSE(decode_image(bmp.data(), bmp.size(), img, error));
  EXPECT_EQ(error, "picture size 16000x16000 is outside 1..8192");
}

TEST(DecodeImage, PngChunksTheDecoderWouldMishandleAreRefusedBeforeDecoding) {
  // A 2x2 header (the decoder reads no check sums), then an IDAT chunk
  // claiming two gigabytes.
  std::vector<uint8_t> png = {0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n',  // signature
                              0,    0,    0,    13,   'I',  'H',  'D',  'R',   //
                              0,    0,    0,    2,    0,    0,    0,    2,     // width, height
                              8,    6,    0,    0,    0,    0,    0,    0,     // 8-bit RGBA
                              0,    0x7F, 0xFF, 0xFF, 0xF0, 'I',  'D',  'A',  'T'};
  std::vector<uint8_t> huge = png;
  huge.insert(huge.end(), 20, 0x55);
  Image img;
  std::string error;
  EXPECT_FALSE(decode_image(huge.data(), huge.size(), img, error));
  EXPECT_EQ(error, "a PNG chunk runs past the end of the file");
  // An empty IDAT chunk before any picture data.
  std::vector<uint8_t> empty_first = png;
  std::fill(empty_first.end() - 8, empty_first.end() - 4, 0);
  empty_first.insert(empty_first.end(), {0, 0, 0, 0, 0, 0, 0, 0, 'I', 'E', 'N', 'D', 0, 0, 0, 0});
  EXPECT_FALSE(decode_image(empty_first.data(), empty_first.size(), img, error));
  EXPECT_EQ(error, "the first picture data chunk of a PNG is empty");
}

TEST(DecodeImage, APngWithAnEmptyDataChunkAfterThePictureDataIsRead) {
  const std::vector<uint8_t> pixels = {255, 0, 0, 255, 0, 255, 0, 128};
  testing::TempDir dir;
  ASSERT_TRUE(write_png(dir.file("two.png"), 2, 1, pixels.data()));
  std::ifstream file(dir.file("two.png"), std::ios::binary);
  std::vector<uint8_t> png((std::istreambuf_iterator<char>(file)), {});
  // The IEND chunk is the last 12 bytes; an empty IDAT goes just before it.
  ASSERT_GT(png.size(), 12u);
  png.insert(png.end() - 12, {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0, 0, 0, 0});
  Image img;
  std::string error;
  ASSERT_TRUE(decode_image(png.data(), png.size(), img, error)) << error;
  EXPECT_EQ(img.rgba, pixels);
}

TEST(DecodeImage, FormatsTheGameDoesNotReadAreRefusedWithAReason) {
  const auto bytes = [](const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
  };
  // A 16-bit PNM, whose reader would write past its buffer.
  std::vector<uint8_t> pnm = bytes("P6\n2 1\n65535\n");
  pnm.insert(pnm.end(), 12, 0xFF);
  // A JPEG whose first Huffman table counts 272 codes of the 256 there is
  // room for, whose reader would write past its tables.
  std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xC4, 0, 19, 0, 0x20};
  jpeg.insert(jpeg.end(), 15, 0x10);
  jpeg.insert(jpeg.end(), {0xFF, 0xD9});
  // A GIF, header and screen descriptor straight to the trailer.
  const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'};
  for (const std::vector<uint8_t>& picture : {pnm, jpeg, gif}) {
    Image img;
    std::string error;
    EXPECT_FALSE(decode_image(picture.data(), picture.size(), img, error));
    EXPECT_EQ(error, "Image not of any known type, or corrupt");
  }
}

TEST(DecodeImage, BmpThroughTheGeneralReaderAndGarbageRefused) {
  // A 2x1 24-bit BMP: blue pixel, then red, rows padded to 4 bytes.
  std::vector<uint8_t> bmp = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0,
                              2,   0,   0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0,  0, 8, 0,
                              0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0};
  bmp.insert(bmp.end(), {255, 0, 0, 0, 0, 255, 0, 0});
  put_u32(bmp, 2, static_cast<uint32_t>(bmp.size()));
  Image img;
  std::string error;
  ASSERT_TRUE(decode_image(bmp.data(), bmp.size(), img, error)) << error;
  EXPECT_EQ(img.width, 2);
  EXPECT_EQ(pixel_at(img, 0, 0), (std::vector<uint8_t>{0, 0, 255, 255}));
  EXPECT_EQ(pixel_at(img, 1, 0), (std::vector<uint8_t>{255, 0, 0, 255}));

  const std::vector<uint8_t> garbage(100, 0x42);
  EXPECT_FALSE(decode_image(garbage.data(), garbage.size(), img, error));
  EXPECT_FALSE(load_image_file("/nonexistent/t0.dds", img, error));
  EXPECT_NE(error.find("/nonexistent/t0.dds"), std::string::npos);
}

}  // namespace
}  // namespace quarvex
