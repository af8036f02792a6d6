// The baker against sprite folders it should refuse: a refused bake names the
// offending file and leaves the atlases of the last good bake in place.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_files.h"

#ifdef QUARVEX_BAKE_BIN
namespace quarvex {
namespace {

const char kSquare[] =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 128 128\">"
    "<rect x=\"0\" y=\"0\" width=\"64\" height=\"128\" fill=\"#ff0000\"/></svg>";

class BakeTool : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* atlas : {"t0", "t1", "t2", "t3", "t4", "t5", "ts", "tc"}) {
      std::filesystem::create_directories(dir.file("sprites/") + atlas);
    }
  }
  testing::RunResult bake() {
    return testing::run_program(QUARVEX_BAKE_BIN, {"--atlases", "sprites", "out"}, dir);
  }
  testing::TempDir dir;
};

TEST_F(BakeTool, PutsEachSourceInTheCellItsNameGives) {
  testing::write_text(dir.file("sprites/t3/06-left-half.svg"), kSquare);
  auto r = bake();
  ASSERT_EQ(r.status, 0) << r.err;
  std::string dds = testing::read_text(dir.file("out/t3.dds"));
  ASSERT_EQ(dds.size(), 128u + 512u * 512u * 4u);
  // Cell 6 is row 1, column 2: its left half is opaque red (B, G, R, A bytes).
  auto pixel = [&](int x, int y) { return dds.substr(128 + (y * 512 + x) * 4, 4); };
  EXPECT_EQ(pixel(256 + 10, 128 + 64), std::string("\x00\x00\xff\xff", 4));
  EXPECT_EQ(pixel(256 + 100, 128 + 64)[3], '\0');
  EXPECT_EQ(pixel(10, 10)[3], '\0');
}

TEST_F(BakeTool, RefusesNamesWithoutACellAndTwoSourcesForOneCell) {
  testing::write_text(dir.file("sprites/t1/03-plane.svg"), kSquare);
  ASSERT_EQ(bake().status, 0);
  const std::string good = testing::read_text(dir.file("out/t1.dds"));

  testing::write_text(dir.file("sprites/t1/16-too-far.svg"), kSquare);
  auto r = bake();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("16-too-far.svg"), std::string::npos) << r.err;
  std::filesystem::remove(dir.file("sprites/t1/16-too-far.svg"));

  testing::write_text(dir.file("sprites/t1/3-plane-again.svg"), kSquare);
  r = bake();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cell 3 already drawn"), std::string::npos) << r.err;
  EXPECT_EQ(testing::read_text(dir.file("out/t1.dds")), good);
}

TEST_F(BakeTool, ReportsAnUnreadableSvg) {
  testing::write_text(dir.file("sprites/t5/02-broken.svg"), "<svg><rect");
  auto r = bake();
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("02-broken.svg"), std::string::npos) << r.err;
}

TEST(BakeToolGround, RejectsUnknownLandscapesAndOffsets) {
  testing::TempDir dir;
  EXPECT_EQ(testing::run_program(QUARVEX_BAKE_BIN, {"--ground", "jungle", "1", "300", "g.bmp"}, dir)
                .status,
            2);
  EXPECT_EQ(testing::run_program(QUARVEX_BAKE_BIN, {"--ground", "desert", "1", "900", "g.bmp"}, dir)
                .status,
            2);
  EXPECT_FALSE(std::filesystem::exists(dir.file("g.bmp")));
}

}  // namespace
}  // namespace quarvex
#endif
