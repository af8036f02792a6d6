// The primitive drawing and the world loops, through the recording device.

#include <gtest/gtest.h>

#include <cmath>
#include <glm/ext/matrix_transform.hpp>

#include "recording_device.h"
#include "render/draw.h"
#include "world/tables.h"

namespace quarvex {
namespace {

using testing::RecordedQuad;
using testing::RecordingDevice;

std::vector<int> cells_of(const std::vector<RecordedQuad>& quads) {
  std::vector<int> cells;
  for (const auto& q : quads) cells.push_back(q.cell());
  return cells;
}

std::vector<float> centres_x(const std::vector<RecordedQuad>& quads) {
  std::vector<float> xs;
  for (const auto& q : quads) xs.push_back(q.centre_x());
  return xs;
}

TEST(CellBounds, FirstAndLastCellsCoverTheAtlasCorners) {
  const CellBounds first = cell_bounds(0);
  EXPECT_EQ(first.left, 0.0f);
  EXPECT_EQ(first.right, 0.25f);
  EXPECT_EQ(first.top, 0.0f);
  EXPECT_EQ(first.bottom, 0.25f);
  const CellBounds last = cell_bounds(15);
  EXPECT_EQ(last.left, 0.75f);
  EXPECT_EQ(last.right, 1.0f);
  EXPECT_EQ(last.top, 0.75f);
  EXPECT_EQ(last.bottom, 1.0f);
  // Row by row from the top left.
  EXPECT_EQ(cell_bounds(6).left, 0.5f);
  EXPECT_EQ(cell_bounds(6).top, 0.25f);
}

TEST(DrawSprite, PutsTheTopOfTheCellTowardPlusYAndTurnsAboutTheDepthAxis) {
  RecordingDevice d;
  draw_sprite(d, 10.0f, 20.0f, 92.5f, kHalfPi, 2, 15, 4.0f, 2.0f);
  ASSERT_EQ(d.quads.size(), 1u);
  const RecordedQuad& q = d.quads[0];
  EXPECT_EQ(q.slot, 2);
  EXPECT_EQ(q.world_quad[0].x, -2.0f);
  EXPECT_EQ(q.world_quad[0].y, -1.0f);
  EXPECT_EQ(q.world_quad[0].v, 1.0f);  // bottom-left corner: bottom of cell 15
  EXPECT_EQ(q.world_quad[1].y, 1.0f);
  EXPECT_EQ(q.world_quad[1].v, 0.75f);  // top-left corner: top of the cell
  EXPECT_EQ(q.world_quad[2].u, 1.0f);
  EXPECT_FLOAT_EQ(q.world_x(), 10.0f);
  EXPECT_FLOAT_EQ(q.world_y(), 20.0f);
  EXPECT_FLOAT_EQ(q.world_z(), 92.5f);
  // Heading pi/2 turns the cell's top (+y) toward -x.
  const glm::vec4 top = q.world * glm::vec4(0.0f, 1.0f, 0.0f, 0.0f);
  EXPECT_NEAR(top.x, -1.0f, 1e-6);
  EXPECT_NEAR(top.y, 0.0f, 1e-6);
}

TEST(DrawSprite, WrittenOutTurnPlacesCornersExactlyAsTheGeneralRotation) {
  for (int step = -800; step <= 800; ++step) {
    const auto angle = static_cast<float>(step * 0.01);
    const glm::mat4 general =
        glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(-123.25f, 77.5f, 91.5f)), angle,
                    glm::vec3(0.0f, 0.0f, 1.0f));
    const glm::mat4 written = sprite_world(-123.25f, 77.5f, 91.5f, angle);
    for (const glm::vec4 corner :
         {glm::vec4(-1.5f, -2.25f, 0.0f, 1.0f), glm::vec4(3.75f, 2.0f, 0.0f, 1.0f)}) {
      const glm::vec4 a = general * corner;
      const glm::vec4 b = written * corner;
      EXPECT_EQ(a.x, b.x) << angle;
      EXPECT_EQ(a.y, b.y) << angle;
      EXPECT_EQ(a.z, b.z) << angle;
      EXPECT_EQ(a.w, b.w) << angle;
    }
  }
}

TEST(DrawScreenSquare, CornersAndTextureCoordinatesInFanOrder) {
  RecordingDevice d;
  draw_screen_square(d, 100.0f, 50.0f, 200, 20.0f, 6, 0);
  ASSERT_EQ(d.quads.size(), 1u);
  const auto& v = d.quads[0].screen_quad;
  EXPECT_EQ(v[0].x, 90.0f);
  EXPECT_EQ(v[0].y, 40.0f);
  EXPECT_EQ(v[1].y, 60.0f);
  EXPECT_EQ(v[2].x, 110.0f);
  EXPECT_EQ(v[1].v, 0.25f);
  EXPECT_EQ(v[3].u, 0.25f);
  EXPECT_EQ(v[0].z, 0.0f);
  EXPECT_EQ(v[0].rhw, 1.0f);
  EXPECT_EQ(v[0].colour, 0xC8FFFFFFu);
}

TEST(DrawNumber, ShowsLeadingZerosAndTheLastDigitsOfALongValue) {
  RecordingDevice d;
  draw_number(d, 600, 20, 200, 6, 20, 1234);
  EXPECT_EQ(cells_of(d.quads), (std::vector<int>{0, 0, 1, 2, 3, 4}));
  EXPECT_EQ(centres_x(d.quads), (std::vector<float>{500, 520, 540, 560, 580, 600}));
  for (const auto& q : d.quads) {
    EXPECT_EQ(q.slot, 6);
    EXPECT_EQ(q.centre_y(), 20.0f);
    EXPECT_EQ(q.alpha(), 200u);
  }

  RecordingDevice long_value;
  draw_number(long_value, 600, 20, 200, 3, 20, 1234567);
  EXPECT_EQ(cells_of(long_value.quads), (std::vector<int>{5, 6, 7}));

  RecordingDevice none;
  draw_number(none, 600, 20, 200, 0, 20, 99);
  EXPECT_TRUE(none.quads.empty());
}

TEST(DrawNumber, NegativeValueShowsTheDigitsOfItsMagnitude) {
  RecordingDevice d;
  draw_number(d, 60, 460, 200, 3, 20, -42);
  EXPECT_EQ(cells_of(d.quads), (std::vector<int>{0, 4, 2}));
  RecordingDevice lowest;
  draw_number(lowest, 60, 460, 200, 10, 20, INT32_MIN);
  EXPECT_EQ(cells_of(lowest.quads), (std::vector<int>{2, 1, 4, 7, 4, 8, 3, 6, 4, 8}));
}

TEST(DrawGround, CoversThePlayfieldWithTheWholeImageTopAtPlusY) {
  RecordingDevice d;
  draw_ground(d, kGroundSlot);
  ASSERT_EQ(d.quads.size(), 1u);
  const RecordedQuad& q = d.quads[0];
  EXPECT_EQ(q.slot, 8);
  EXPECT_FLOAT_EQ(q.world_z(), 93.0f);
  EXPECT_EQ(q.world_quad[1].x, -500.0f);
  EXPECT_EQ(q.world_quad[1].y, 500.0f);
  EXPECT_EQ(q.world_quad[1].v, 0.0f);
  EXPECT_EQ(q.world_quad[3].u, 1.0f);
  EXPECT_EQ(q.world_quad[3].v, 1.0f);
}

TEST(DrawMinimap, CameraMarkerAtTheTopRightCornerForTheFarCorner) {
  World w;
  init_world(w);
  player_state(w).camera_x = 500.0f;
  player_state(w).camera_y = 500.0f;
  RecordingDevice d;
  draw_minimap(d, w, 580.0f, 420.0f, kGroundSlot);
  ASSERT_EQ(d.quads.size(), 2u);
  EXPECT_EQ(d.quads[0].slot, 8);
  EXPECT_EQ(d.quads[0].screen_quad[0].x, 530.0f);
  EXPECT_EQ(d.quads[0].screen_quad[2].y, 470.0f);
  EXPECT_EQ(d.quads[0].screen_quad[2].u, 1.0f);
  EXPECT_EQ(d.quads[0].alpha(), 120u);
  EXPECT_EQ(d.quads[1].slot, 6);
  EXPECT_EQ(d.quads[1].cell(), 13);
  EXPECT_EQ(d.quads[1].centre_x(), 630.0f);
  EXPECT_EQ(d.quads[1].centre_y(), 370.0f);
  EXPECT_EQ(d.quads[1].size(), 20.0f);
}

class DrawUnits : public ::testing::Test {
 protected:
  void SetUp() override { init_world(w); }
  int16_t place(float x, float y, float z, float heading, int16_t parent, int8_t type) {
    return spawn_unit(w, x, y, z, heading, parent, type, 1);
  }
  World w;
};

TEST_F(DrawUnits, LayersFarToNearEachInSlotOrder) {
  place(1, 0, 91.5f, 0, 0, 7);   // air layer
  place(2, 0, 92.5f, 0, 0, 2);   // ground
  place(3, 0, 91.0f, 0, 0, 7);   // nearest layer
  place(4, 0, 92.5f, 0, 0, 4);   // ground, later slot
  place(5, 0, 92.25f, 0, 0, 2);  // between layers: never drawn
  RecordingDevice d;
  draw_units(d, w);
  std::vector<float> order;
  for (const auto& q : d.quads) order.push_back(q.world_x());
  EXPECT_EQ(order, (std::vector<float>{2, 4, 1, 3}));
}

TEST_F(DrawUnits, MountedUnitOneLayerUpAtItsParentsPositionPlusAnUnturnedOffset) {
  const int16_t hull = place(10, 10, 92.5f, kHalfPi, 0, 2);
  place(0, 2, kChildZ, 0.5f, hull, 3);
  place(-50, -50, 92.5f, 0, 0, 4);  // a later ground unit is still drawn before the turret
  RecordingDevice d;
  draw_units(d, w);
  ASSERT_EQ(d.quads.size(), 3u);
  const RecordedQuad& turret = d.quads[2];
  EXPECT_FLOAT_EQ(turret.world_x(), 10.0f);
  EXPECT_FLOAT_EQ(turret.world_y(), 12.0f);
  EXPECT_FLOAT_EQ(turret.world_z(), 92.0f);
  EXPECT_NEAR(turret.angle(), kHalfPi + 0.5, 1e-6);
  EXPECT_EQ(turret.slot, unit_type(3).texture);
  EXPECT_EQ(turret.cell(), unit_type(3).cell);
  EXPECT_FLOAT_EQ(turret.world_quad[2].x, unit_type(3).size / 20.0f);
}

TEST_F(DrawUnits, ProjectilesAndParticlesAtTheirOwnDepths) {
  spawn_projectile(w, 5, 6, 0.25f, 4, 1, 0);
  spawn_particle(w, 7, 8, 0.0f, 0, 0, 0, 10, 200, 3, 30);
  RecordingDevice d;
  draw_projectiles(d, w);
  draw_particles(d, w);
  ASSERT_EQ(d.quads.size(), 2u);
  EXPECT_FLOAT_EQ(d.quads[0].world_z(), 90.5f);
  EXPECT_EQ(d.quads[0].slot, projectile_type(4).texture);
  EXPECT_EQ(d.quads[0].cell(), projectile_type(4).cell);
  EXPECT_FLOAT_EQ(d.quads[1].world_z(), 90.0f);
  // A texture number outside the slots is handed on; the device draws it untextured.
  EXPECT_EQ(d.quads[1].slot, 200);
  EXPECT_FLOAT_EQ(d.quads[1].world_quad[2].x, 1.5f);
}

}  // namespace
}  // namespace quarvex
