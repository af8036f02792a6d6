// The title menu, the play overlay and the frame's camera, through the
// recording device.

#include <gtest/gtest.h>

#include <glm/vec4.hpp>

#include "built_languages.h"
#include "recording_device.h"
#include "render/overlay.h"
#include "render/render_frame.h"
#include "render/unit_names.h"
#include "world/tables.h"

namespace quarvex {
namespace {

using testing::built_texts;
using testing::RecordedQuad;
using testing::RecordedText;
using testing::RecordingDevice;

// Where a recorded text's first pixel lands, as the device places it.
int drawn_left(RecordingDevice& d, const RecordedText& t) {
  const int width = d.text_size(t.text.c_str()).width;
  if (t.align == TextAlign::kCentre) return (t.rect.left + t.rect.right - width) / 2;
  if (t.align == TextAlign::kRight) return t.rect.right - width;
  return t.rect.left;
}

std::vector<int> cells_of(const std::vector<RecordedQuad>& quads, size_t first, size_t count) {
  std::vector<int> cells;
  for (size_t i = first; i < first + count && i < quads.size(); ++i)
    cells.push_back(quads[i].cell());
  return cells;
}

class Overlay : public ::testing::Test {
 protected:
  void SetUp() override {
    init_world(w);
    w.game_phase = 1;
    w.player_side = 1;
    player_state(w).selected_unit = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 2, 2);
    w.units[player_state(w).selected_unit].health = 1234;
  }
  World w;
  RecordingDevice d;
};

// In Japanese the title menu is the game's own, text for text and pixel for pixel.
TEST(TitleMenu, LabelsWithShadowsAndTheChosenSidesEmblem) {
  World w;
  init_world(w);
  w.stage_number = 3;
  w.title_row = 1;
  w.player_side = 2;
  RecordingDevice d;
  draw_title_menu(d, w, built_texts("ja"));
  const std::vector<std::pair<std::string, std::pair<int, int>>> expected = {
      {"ゲーム設定", {271, 151}}, {"ゲーム設定", {270, 150}}, {"MAP 3", {351, 201}},
      {"MAP 3", {350, 200}},      {"  MAP   ", {251, 201}},   {"  MAP   ", {250, 200}},
      {"< SIDE >", {251, 251}},   {"< SIDE >", {250, 250}}};
  ASSERT_EQ(d.texts.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(d.texts[i].text, expected[i].first);
    EXPECT_EQ(drawn_left(d, d.texts[i]), expected[i].second.first);
    EXPECT_EQ(d.texts[i].rect.top, expected[i].second.second);
    EXPECT_EQ(d.texts[i].colour, i % 2 == 0 ? kTextShadowColour : kTextColour);
  }
  ASSERT_EQ(d.quads.size(), 1u);
  EXPECT_EQ(d.quads[0].slot, 5);
  EXPECT_EQ(d.quads[0].cell(), 10);
  EXPECT_EQ(d.quads[0].centre_x(), 340.0f);
  EXPECT_EQ(d.quads[0].centre_y(), 250.0f);
  EXPECT_EQ(d.quads[0].size(), 100.0f);
  EXPECT_EQ(d.quads[0].alpha(), 255u);
  // The emblem comes between the map row and the side row.
  EXPECT_EQ(d.calls[6], "quad");
}

TEST(TitleMenu, ArrowsMarkTheChosenRowInEveryLanguageAndNoneWhileTheShellHasTheFocus) {
  World w;
  init_world(w);
  struct Case {
    Texts texts;
    bool rows_focused;
    const char* title;
    const char* map_row;
    const char* side_row;
  };
  const Case cases[] = {
      {built_texts("ja"), true, "ゲーム設定", "< MAP  >", "  SIDE  "},
      {Texts(), true, "Game settings", "< MAP  >", "  SIDE  "},
      {built_texts("de"), true, "Spieleinstellungen", "< KARTE >", "  PARTEI  "},
      {Texts(), false, "Game settings", "  MAP   ", "  SIDE  "},
  };
  for (const Case& c : cases) {
    RecordingDevice d;
    draw_title_menu(d, w, c.texts, c.rows_focused);
    ASSERT_EQ(d.texts.size(), 8u);
    EXPECT_EQ(d.texts[1].text, c.title);
    EXPECT_EQ(d.texts[5].text, c.map_row);
    EXPECT_EQ(d.texts[7].text, c.side_row);
    EXPECT_EQ(d.quads[0].cell(), 8);
  }
}

TEST_F(Overlay, CursorModeShowsStatusBlockAndCrosshairButNoHealth) {
  player_state(w).command_mode = 0;
  w.funds[1] = 200;
  draw_play_overlay(d, w, Texts());
  ASSERT_EQ(d.quads.size(), 12u);
  EXPECT_EQ(d.quads[0].slot, 8);  // minimap, then its camera marker
  EXPECT_EQ(d.quads[1].cell(), 13);
  EXPECT_EQ(d.quads[2].slot, 5);  // emblem
  EXPECT_EQ(d.quads[2].cell(), 9);
  EXPECT_EQ(d.quads[2].centre_x(), 425.0f);
  EXPECT_EQ(d.quads[2].size(), 80.0f);
  EXPECT_EQ(d.quads[3].cell(), 12);  // funds symbol
  // Funds 200 read 0002000 with the fixed zero.
  EXPECT_EQ(cells_of(d.quads, 4, 7), (std::vector<int>{0, 0, 0, 2, 0, 0, 0}));
  EXPECT_EQ(d.quads[10].centre_x(), 620.0f);
  EXPECT_EQ(d.quads[11].slot, 0);  // crosshair
  EXPECT_EQ(d.quads[11].cell(), 14);
  EXPECT_EQ(d.quads[11].centre_x(), 320.0f);
  EXPECT_EQ(d.quads[11].alpha(), 120u);
  EXPECT_TRUE(d.texts.empty());
}

TEST_F(Overlay, DirectControlKeepsOnlyTheMinimapAndHealth) {
  player_state(w).command_mode = 2;
  draw_play_overlay(d, w, Texts());
  ASSERT_EQ(d.quads.size(), 5u);
  EXPECT_EQ(cells_of(d.quads, 2, 3), (std::vector<int>{2, 3, 4}));
  EXPECT_EQ(d.quads[2].centre_x(), 20.0f);
  EXPECT_EQ(d.quads[4].centre_x(), 60.0f);
  EXPECT_EQ(d.quads[4].centre_y(), 460.0f);
}

TEST_F(Overlay, OrderMenuWithoutProductionHasPanelAndIconOnly) {
  player_state(w).command_mode = 1;
  player_state(w).order_item = 4;
  draw_play_overlay(d, w, Texts());
  ASSERT_EQ(d.quads.size(), 12u + 2u + 3u);
  const RecordedQuad& panel = d.quads[12];
  EXPECT_EQ(panel.slot, 5);
  EXPECT_EQ(panel.cell(), 12);
  EXPECT_EQ(panel.screen_quad[0].x, 20.0f);
  EXPECT_EQ(panel.screen_quad[2].y, 100.0f);
  EXPECT_EQ(d.quads[13].slot, 7);
  EXPECT_EQ(d.quads[13].cell(), 1);
  EXPECT_EQ(d.quads[13].size(), 70.0f);
  EXPECT_TRUE(d.texts.empty());
}

TEST_F(Overlay, ProductionPanelShowsTheKindItsPriceAndName) {
  player_state(w).command_mode = 1;
  player_state(w).order_item = 5;
  w.side_build_list[1] = 1;
  player_state(w).build_item = 7;  // kind 6: hull type 39 with turret type 41, cost 25
  draw_play_overlay(d, w, Texts());
  ASSERT_EQ(d.quads.size(), 12u + 2u + 1u + 2u + 4u + 3u);
  EXPECT_EQ(d.quads[13].cell(), order_icon_cells[5]);
  EXPECT_EQ(d.quads[14].screen_quad[0].x, 510.0f);
  EXPECT_EQ(d.quads[14].screen_quad[2].y, 180.0f);
  EXPECT_EQ(d.quads[15].slot, unit_type(39).texture);
  EXPECT_EQ(d.quads[15].cell(), unit_type(39).cell);
  EXPECT_EQ(d.quads[15].size(), unit_type(39).size + 10.0f);
  EXPECT_EQ(d.quads[16].cell(), unit_type(41).cell);
  EXPECT_EQ(d.quads[16].centre_x(), 570.0f);
  EXPECT_EQ(cells_of(d.quads, 17, 4), (std::vector<int>{0, 2, 5, 0}));
  EXPECT_EQ(d.quads[20].centre_x(), 600.0f);
  EXPECT_EQ(d.quads[20].centre_y(), 160.0f);
  ASSERT_EQ(d.texts.size(), 2u);
  EXPECT_EQ(d.texts[0].text, "Machine cannon");
  EXPECT_EQ(d.texts[0].align, TextAlign::kRight);
  EXPECT_EQ(d.texts[0].rect.right, 630);
  EXPECT_EQ(d.texts[0].rect.top, 191);
  EXPECT_EQ(d.texts[0].colour, kTextShadowColour);
  EXPECT_EQ(d.texts[1].rect.top, 190);
  EXPECT_EQ(d.texts[1].colour, kTextColour);
}

// The Japanese catalogue names every kind as the game always has, the names
// stage sources use too.
TEST(UnitNames, TheJapaneseNamesAreTheGamesOwn) {
  const Texts ja = built_texts("ja");
  for (int k = 0; k < kUnitKindCount; ++k) {
    EXPECT_STREQ(ja.tr(kind_name(k)), kind_names[k]) << k;
    EXPECT_STRNE(kind_name(k), "") << k;
  }
  EXPECT_STREQ(kind_name(-1), "");
  EXPECT_STREQ(kind_name(kUnitKindCount), "");
  EXPECT_STREQ(ja.tr(kind_name(-1)), "");
}

TEST_F(Overlay, OutOfRangeMenuValuesDrawNothingFromOutsideTheTables) {
  player_state(w).command_mode = 1;
  player_state(w).order_item = 5;
  w.side_build_list[1] = 9;
  w.player_side = 7;
  draw_play_overlay(d, w, Texts());
  player_state(w).order_item = 40;
  draw_play_overlay(d, w, Texts());
  EXPECT_TRUE(d.texts.empty());
}

glm::vec4 to_clip(const Camera& c, float x, float y, float z) {
  return c.projection * c.view * glm::vec4(x, y, z, 1.0f);
}

TEST(Camera, TopDownViewWithPlusYUpAndYawTurningThePicture) {
  World w;
  init_world(w);
  player_state(w).camera_x = 100.0f;
  player_state(w).camera_y = -40.0f;
  player_state(w).camera_distance = 20.0f;
  const Camera c = camera_of(w);
  const glm::vec4 right = to_clip(c, 110.0f, -40.0f, 92.5f);
  EXPECT_GT(right.x / right.w, 0.0f);
  EXPECT_NEAR(right.y / right.w, 0.0f, 1e-6);
  const glm::vec4 up = to_clip(c, 100.0f, -30.0f, 92.5f);
  EXPECT_GT(up.y / up.w, 0.0f);
  // Every layer lies inside the depth range, ground behind units behind particles.
  const float ground = to_clip(c, 100, -40, 93.0f).z / to_clip(c, 100, -40, 93.0f).w;
  const float unit = to_clip(c, 100, -40, 92.5f).z / to_clip(c, 100, -40, 92.5f).w;
  const float particle = to_clip(c, 100, -40, 90.0f).z / to_clip(c, 100, -40, 90.0f).w;
  EXPECT_LT(ground, 1.0f);
  EXPECT_GT(ground, unit);
  EXPECT_GT(unit, particle);
  EXPECT_GT(particle, -1.0f);

  // Yaw equal to a heading h puts that unit's forward direction up the screen.
  player_state(w).camera_yaw = kHalfPi;
  const Camera turned = camera_of(w);
  const glm::vec4 forward = to_clip(turned, 90.0f, -40.0f, 92.5f);  // (-sin h, cos h)
  EXPECT_GT(forward.y / forward.w, 0.0f);
  EXPECT_NEAR(forward.x / forward.w, 0.0f, 1e-5);

  // Closer zoom narrows the view: the same offset lands farther out.
  player_state(w).camera_yaw = 0.0f;
  player_state(w).camera_zoom = 20.0f;
  const glm::vec4 zoomed = to_clip(camera_of(w), 110.0f, -40.0f, 92.5f);
  EXPECT_GT(zoomed.x / zoomed.w, right.x / right.w);
}

TEST(Camera, BeforeTheFirstStageTheWorldLiesBeyondTheFarPlane) {
  World w;
  init_world(w);
  const glm::vec4 ground = to_clip(camera_of(w), 0, 0, 90.0f);
  EXPECT_GT(ground.z, ground.w);
}

TEST(RenderFrame, ClearsDrawsFarToNearThenTheScreenPassThenPresents) {
  World w;
  init_world(w);
  w.game_phase = 1;
  player_state(w).camera_distance = 20.0f;
  spawn_unit(w, 0, 0, kGroundZ, 0, 0, 2, 1);
  spawn_particle(w, 0, 0, 0, 0, 0, 0, 5, 0, 0, 10);
  spawn_projectile(w, 0, 0, 0, 0, 1, 0);
  RecordingDevice d;
  render_frame(d, w, Texts());
  EXPECT_EQ(d.clear_colour, 0xFF282828u);
  EXPECT_EQ(d.calls.front(), "begin");
  EXPECT_EQ(d.calls[1], "view");
  EXPECT_EQ(d.calls.back(), "present");
  ASSERT_GE(d.quads.size(), 4u);
  EXPECT_EQ(d.quads[0].slot, kGroundSlot);
  EXPECT_FLOAT_EQ(d.quads[1].world_z(), 92.5f);
  EXPECT_FLOAT_EQ(d.quads[2].world_z(), 90.5f);
  EXPECT_FLOAT_EQ(d.quads[3].world_z(), 90.0f);
  EXPECT_FALSE(d.quads[4].in_world);  // the overlay's minimap

  RecordingDevice title;
  w.game_phase = 0;
  render_frame(title, w, Texts());
  EXPECT_EQ(title.texts.size(), 8u);
}

}  // namespace
}  // namespace quarvex
