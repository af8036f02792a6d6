// Checks the pictures the build bakes into the data folder: the atlas files
// the loader reads, a picture in every cell the tables draw, and the ground images.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "world/tables.h"

namespace {

constexpr int kAtlasSide = 512;
constexpr int kCellSide = 128;
constexpr size_t kDdsHeader = 128;

std::vector<uint8_t> read_data_file(const std::string& name) {
  std::ifstream in(std::string(QUARVEX_DATA_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

const char* const kAtlases[] = {"t0.dds", "t1.dds", "t2.dds", "t3.dds",
                                "t4.dds", "t5.dds", "ts.dds", "tc.dds"};

// Number of pixels of a cell that are not fully transparent.
int visible_pixels(const std::vector<uint8_t>& dds, int cell) {
  int count = 0;
  int left = (cell % 4) * kCellSide, top = (cell / 4) * kCellSide;
  for (int y = top; y < top + kCellSide; ++y) {
    for (int x = left; x < left + kCellSide; ++x) {
      count += dds[kDdsHeader + (static_cast<size_t>(y) * kAtlasSide + x) * 4 + 3] != 0;
    }
  }
  return count;
}

class BakedAtlases : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kAtlases) atlases.push_back(read_data_file(name));
  }
  bool drawn(int texture, int cell) const { return visible_pixels(atlases[texture], cell) > 0; }
  std::vector<std::vector<uint8_t>> atlases;
};

TEST_F(BakedAtlases, AreUncompressed32BitDdsWithAlpha) {
  for (size_t i = 0; i < atlases.size(); ++i) {
    SCOPED_TRACE(kAtlases[i]);
    const auto& dds = atlases[i];
    ASSERT_EQ(dds.size(), kDdsHeader + size_t{kAtlasSide} * kAtlasSide * 4);
    EXPECT_EQ(std::string(dds.begin(), dds.begin() + 4), "DDS ");
    EXPECT_EQ(le32(dds, 4), 124u);
    EXPECT_EQ(le32(dds, 12), uint32_t{kAtlasSide});  // height
    EXPECT_EQ(le32(dds, 16), uint32_t{kAtlasSide});  // width
    EXPECT_EQ(le32(dds, 28), 0u);                    // no mipmaps
    EXPECT_EQ(le32(dds, 76), 32u);
    EXPECT_EQ(le32(dds, 80), 0x41u);  // RGB with alpha, no FourCC
    EXPECT_EQ(le32(dds, 88), 32u);
    EXPECT_EQ(le32(dds, 92), 0x00FF0000u);
    EXPECT_EQ(le32(dds, 96), 0x0000FF00u);
    EXPECT_EQ(le32(dds, 100), 0x000000FFu);
    EXPECT_EQ(le32(dds, 104), 0xFF000000u);
  }
}

TEST_F(BakedAtlases, EveryCellTheTablesDrawHasAPicture) {
  ASSERT_EQ(atlases.size(), 8u);
  for (int t = 0; t < quarvex::kUnitTypeCount; ++t) {
    const auto& type = quarvex::kUnitTypes[t];
    EXPECT_TRUE(drawn(type.texture, type.cell)) << "unit type " << t;
  }
  for (int p = 0; p < quarvex::kProjectileTypeCount; ++p) {
    const auto& type = quarvex::kProjectileTypes[p];
    EXPECT_TRUE(drawn(type.texture, type.cell)) << "projectile type " << p;
  }
  for (int8_t cell : quarvex::order_icon_cells) EXPECT_TRUE(drawn(7, cell)) << "order icon";
  for (int digit = 0; digit < 10; ++digit) EXPECT_TRUE(drawn(6, digit)) << "digit " << digit;
  for (int cell : {12, 13}) EXPECT_TRUE(drawn(6, cell)) << "ts cell " << cell;
  for (int cell = 8; cell <= 13; ++cell) EXPECT_TRUE(drawn(5, cell)) << "t5 cell " << cell;
  for (int cell : {0, 1, 10, 12, 13, 14}) EXPECT_TRUE(drawn(0, cell)) << "t0 cell " << cell;
  EXPECT_TRUE(drawn(4, 11)) << "salvo flash";
}

TEST_F(BakedAtlases, CellsNobodyDrawsStayTransparent) {
  ASSERT_EQ(atlases.size(), 8u);
  EXPECT_FALSE(drawn(0, 15));
  EXPECT_FALSE(drawn(3, 2));
  EXPECT_FALSE(drawn(5, 3));
  EXPECT_FALSE(drawn(6, 10));
  EXPECT_FALSE(drawn(7, 6));
}

TEST_F(BakedAtlases, PanelIsOpaque) {
  ASSERT_EQ(atlases.size(), 8u);
  EXPECT_EQ(visible_pixels(atlases[5], 12), kCellSide * kCellSide);
}

TEST(BakedGround, IsA2048Square24BitBitmap) {
  for (const char* name : {"map1.bmp", "map2.bmp", "map3.bmp"}) {
    SCOPED_TRACE(name);
    auto bmp = read_data_file(name);
    ASSERT_EQ(bmp.size(), 54u + 2048u * 2048u * 3u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(le32(bmp, 18), 2048u);
    EXPECT_EQ(le32(bmp, 22), 2048u);  // positive: bottom row first
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(le32(bmp, 30), 0u);  // uncompressed
  }
}

}  // namespace
