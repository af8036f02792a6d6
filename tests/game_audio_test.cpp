// The game's sound through the real mixer (SDL's dummy driver plays in real
// time into nothing), heard through a recording of everything mixed: a
// muted game and a paused game are silent but for a box's jingle and the
// menus, a restart stops everything, and a frame full of shots and
// explosions does not clip.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/game_audio.h"
#include "test_files.h"

namespace quarvex {
namespace {

class GameSound : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SoundLoadReport report;
    std::string error;
    audio = GameAudio::open(DataFolders{{QUARVEX_DATA_DIR}}, report, error);
    ASSERT_NE(audio, nullptr) << error;
    EXPECT_TRUE(report.missing.empty());
    EXPECT_TRUE(report.unusable.empty());
    ASSERT_TRUE(audio->record(dir.file("mix.wav"), error)) << error;
    init_world(w);
    w.game_phase = 1;
    player_state(w).camera_distance = 20.0f;
  }
  void hear() {
    audio->hear(w, now_ms);
    now_ms += 30;
  }
  // Everything but the camera's own place: the loudest there is.
  void volley(int kind_offset) {
    for (int i = 0; i < kProjectileSlots; ++i) w.projectiles[i].kind = -1;
    for (int i = 0; i < kProjectileSlots; ++i) {
      spawn_projectile(w, float(i % 20 - 10), float(i / 20 - 5), 0,
                       static_cast<int8_t>((i + kind_offset) % 20), 1, 0);
    }
  }
  void wait_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  // The recording's samples, both sides interleaved, once the mixer is closed.
  std::vector<int16_t> recording() {
    audio.reset();
    const std::string bytes = testing::read_text(dir.file("mix.wav"));
    std::vector<int16_t> samples((bytes.size() - 44) / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
      samples[i] = static_cast<int16_t>(uint8_t(bytes[44 + 2 * i]) | bytes[45 + 2 * i] << 8);
    }
    return samples;
  }
  static int loudest(const std::vector<int16_t>& s, size_t from = 0) {
    int peak = 0;
    for (size_t i = from; i < s.size(); ++i) peak = std::max(peak, std::abs(int{s[i]}));
    return peak;
  }

  testing::TempDir dir;
  std::unique_ptr<GameAudio> audio;
  World w{};
  int64_t now_ms = 0;
};

TEST_F(GameSound, AMutedGameIsSilent) {
  audio->set_levels(SoundLevels{100, 100, true});
  hear();  // the stage's start
  volley(0);
  hear();
  wait_ms(300);
  const std::vector<int16_t> mix = recording();
  EXPECT_GT(mix.size(), 10000u);
  EXPECT_EQ(loudest(mix), 0);
}

TEST_F(GameSound, APausedGameFallsSilentAndStartsNothingNew) {
  hear();
  volley(0);
  hear();
  wait_ms(250);
  audio->set_paused(true);
  volley(7);
  hear();
  // What the mixer had mixed ahead of the pause, then a long wait: the
  // dummy device falls behind the clock on a loaded machine.
  wait_ms(1500);
  const std::vector<int16_t> mix = recording();
  ASSERT_GT(mix.size(), size_t(2 * 44100 * 6 / 10));
  EXPECT_GT(loudest(mix), 1000);
  EXPECT_EQ(loudest(mix, mix.size() - 2 * 44100 * 3 / 10), 0);
}

// What a pause lets through: the jingle of the box that caused it and the
// menu sounds of the player's keys, but not the stage's own jingle.
TEST_F(GameSound, APauseHoldsTheStagesJingleButNotTheBoxsNorTheMenus) {
  hear();  // the stage's start
  audio->set_paused(true);
  wait_ms(600);
  audio->set_paused(false);
  audio->hear_message("GAME OVER");
  audio->set_paused(true);
  wait_ms(600);
  audio->restart(w);
  audio->play_menu_sound(Sound::kMenuConfirm);
  audio->play_menu_sound(Sound::kGameOver);  // not a menu sound: nothing
  wait_ms(900);
  const std::vector<int16_t> mix = recording();
  auto peak = [&mix](double from, double to) {
    const std::vector<int16_t> part(mix.begin() + long(from * 88200),
                                    mix.begin() + long(to * 88200));
    return loudest(part);
  };
  ASSERT_GT(mix.size(), size_t(2.0 * 88200));
  EXPECT_EQ(peak(0.25, 0.55), 0);
  EXPECT_GT(peak(0.8, 1.15), 1000);
  EXPECT_GT(peak(1.3, 1.5), 1000);
  EXPECT_EQ(peak(1.75, 2.0), 0);
}

// Restart: what rings stops, and the next frame is compared with the World
// as it was put back: the title menu's, so a stage that starts is heard.
TEST_F(GameSound, ARestartStopsEverythingAndComparesWithTheWorldPutBack) {
  hear();
  volley(0);
  hear();
  wait_ms(200);
  auto title = std::make_unique<World>();
  init_world(*title);
  audio->restart(*title);
  wait_ms(400);
  hear();
  wait_ms(400);
  const std::vector<int16_t> mix = recording();
  ASSERT_GT(mix.size(), size_t(0.9 * 88200));
  const std::vector<int16_t> stopped(mix.begin() + long(0.35 * 88200),
                                     mix.begin() + long(0.55 * 88200));
  EXPECT_GT(loudest(mix), 1000);
  EXPECT_EQ(loudest(stopped), 0);
  EXPECT_GT(loudest(mix, size_t(0.7 * 88200)), 1000);
}

TEST_F(GameSound, AFrameFullOfEverythingDoesNotClip) {
  hear();
  for (int frame = 0; frame < 8; ++frame) {
    volley(frame);
    // Units near the camera falling to their last hit.
    for (int i = 1; i <= 40; ++i) {
      if (frame % 2 == 0) {
        spawn_unit(w, float(i % 10), float(i / 10), kGroundZ, 0, 0,
                   static_cast<int8_t>((i * 7) % 55), 2);
      } else {
        w.units[i].health = 0;
      }
    }
    hear();
    if (frame % 2 == 1) {
      for (int i = 1; i <= 40; ++i) w.units[i].type = -1;
      hear();
    }
    wait_ms(60);
  }
  wait_ms(400);
  const std::vector<int16_t> mix = recording();
  EXPECT_GT(loudest(mix), 8000);
  EXPECT_LT(loudest(mix), 32767);
}

}  // namespace
}  // namespace quarvex
