// What the sound hears in the World: the simulation steps run on crafted
// battles, and the watcher must find each launch, hit, destruction and menu
// move once, where it happened, and nothing it must not hear.

#include <gtest/gtest.h>

#include <vector>

#include "audio/sound_events.h"
#include "sim/sim.h"
#include "sim_fixture.h"
#include "world/tables.h"

namespace quarvex {
namespace {

class SoundWatch : public testing::SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    heard();  // the first frame seen only sets the scene
  }
  // The steps that move the battle, as the frame runs them.
  void battle_step() {
    update_units(w);
    update_projectiles(w);
    update_particles(w);
  }
  // The game hears a frame with its picture, before its counter moves on.
  std::vector<SoundEvent> heard() {
    SoundEvents events;
    watcher.watch(w, events);
    w.frame_counter = (w.frame_counter + 1) % 1000;
    return {events.list.begin(), events.list.begin() + events.count};
  }
  static std::vector<Sound> sounds(const std::vector<SoundEvent>& events) {
    std::vector<Sound> out;
    for (const SoundEvent& e : events) out.push_back(e.sound);
    return out;
  }

  SoundWatcher watcher;
};

TEST_F(SoundWatch, AShotIsHeardLeavingThenHittingThenTheWreckGoesUp) {
  const int16_t tank = spawn(2, 1, 0, 0);
  spawn(3, 1, 0, 0, 0, tank);  // its turret fires the shell
  const int16_t enemy = spawn(2, 2, 0, 3);
  spawn(3, 2, 0, 0, 0, enemy);
  w.units[enemy].health = 10;
  w.units[tank].control_bits = kFire;

  battle_step();
  std::vector<SoundEvent> e = heard();
  ASSERT_EQ(sounds(e), std::vector<Sound>{Sound::kCannon});
  EXPECT_TRUE(e[0].placed);
  EXPECT_FLOAT_EQ(e[0].y, w.projectiles[0].y);

  w.units[tank].control_bits = 0;
  battle_step();  // the shell strikes: 18 damage
  e = heard();
  ASSERT_EQ(sounds(e), std::vector<Sound>{Sound::kHitHeavy});
  EXPECT_FLOAT_EQ(e[0].y, 3.0f);

  battle_step();  // the wreck goes up; its turret goes with it unheard
  EXPECT_EQ(sounds(heard()), std::vector<Sound>{Sound::kExplosionMedium});
  battle_step();
  EXPECT_TRUE(heard().empty());
}

TEST_F(SoundWatch, DestructionSoundsGoBySizeAndKindOfUnit) {
  const int16_t soldier = spawn(16, 2, 10, 0);
  const int16_t heavy = spawn(27, 2, 20, 0);
  const int16_t factory = spawn(kTypeFactory, 2, 30, 0);
  const int16_t light = spawn(16, 2, 40, 0);
  heard();
  for (int16_t u : {soldier, heavy, factory}) w.units[u].health = 0;
  w.units[light].health = 2;
  EXPECT_EQ(sounds(heard()), (std::vector<Sound>{Sound::kHitLight, Sound::kHitHeavy,
                                                 Sound::kHitHeavy, Sound::kHitLight}));
  battle_step();
  EXPECT_EQ(sounds(heard()), (std::vector<Sound>{Sound::kInfantryDown, Sound::kExplosionLarge,
                                                 Sound::kBuildingDestroyed}));
}

TEST_F(SoundWatch, AUnitRemovedByItsOwnRuleIsNotASoundButWhatItThrowsIs) {
  const int16_t grenade = spawn(37, 1, 0, 0);
  w.units[grenade].speed = 39;  // its fuse runs out in this step
  battle_step();
  const std::vector<SoundEvent> e = heard();
  // Five fragments, one sound each: merging them is the mixer's business.
  EXPECT_EQ(sounds(e), std::vector<Sound>(5, Sound::kBurst));
}

TEST_F(SoundWatch, TheMortarIsHeardWhereItStandsAndItsShellWhereItFalls) {
  const int16_t mortar = spawn(36, 1, 0, 0);
  w.units[mortar].control_bits = kFire;
  battle_step();
  const std::vector<SoundEvent> e = heard();
  ASSERT_EQ(e.size(), 9u);
  EXPECT_EQ(e[8].sound, Sound::kMortar);
  EXPECT_NEAR(e[8].y, 2.0f, 1.0f);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(e[i].sound, Sound::kBurst);
    EXPECT_GT(e[i].y, 25.0f);
  }
  // The smoke of a homing missile is not a shot.
  spawn_particle(w, 0, 0, 0, 0, 0, 0, 10, 0, 10, 30);
  EXPECT_TRUE(heard().empty());
}

TEST_F(SoundWatch, AStageLoadIsHeardAsTheStartAndNothingElse) {
  SoundWatcher title_watcher;
  w.game_phase = 0;
  SoundEvents events;
  title_watcher.watch(w, events);
  w.game_phase = 1;
  spawn_projectile(w, 0, 0, 0, 1, 1, 0);
  spawn(2, 1, 0, 0);
  title_watcher.watch(w, events);
  ASSERT_EQ(events.count, 1);
  EXPECT_EQ(events.list[0].sound, Sound::kStageStart);
  EXPECT_FALSE(events.list[0].placed);
}

TEST_F(SoundWatch, TitleMenuMovesAndTheStartAreHeard) {
  w.game_phase = 0;
  heard();
  latch_keys({kKeyDown});
  player_command(w);
  EXPECT_EQ(sounds(heard()), std::vector<Sound>{Sound::kMenuMove});
  latch_keys({});
  player_command(w);
  EXPECT_TRUE(heard().empty());
  latch_keys({kKeySelect});
  player_command(w);
  EXPECT_EQ(sounds(heard()), std::vector<Sound>{Sound::kMenuConfirm});
}

TEST_F(SoundWatch, OrderMenuSelectMoveBackAndNothingToSelect) {
  spawn(2, 1, 5, 5);
  latch_keys({kKeySelect});
  player_command(w);
  EXPECT_EQ(sounds(heard()), std::vector<Sound>{Sound::kMenuConfirm});
  latch_keys({kKeyRight});
  player_command(w);
  EXPECT_EQ(sounds(heard()), std::vector<Sound>{Sound::kMenuMove});
  latch_keys({kKeyFast});
  player_command(w);
  EXPECT_EQ(sounds(heard()), std::vector<Sound>{Sound::kMenuBack});
  // Space where the player has no unit.
  w.units[1].type = -1;
  latch_keys({kKeySelect});
  player_command(w);
  EXPECT_EQ(sounds(heard()), std::vector<Sound>{Sound::kMenuDenied});
}

class BuildOrder : public SoundWatch {
 protected:
  // The player's factory with the order menu on "build" and the handgun
  // soldier (kind 26, price 2) chosen.
  void SetUp() override {
    SoundWatch::SetUp();
    factory = spawn(kTypeFactory, 1, 40, -20);
    w.side_build_list[0] = 1;
    player_state(w).command_mode = 1;
    player_state(w).selected_unit = factory;
    player_state(w).order_item = 5;
    player_state(w).build_item = 0;
    heard();
  }
  std::vector<SoundEvent> confirm() {
    latch_keys({kKeySelect});
    player_command(w);
    execute_side_orders(w);
    battle_step();
    return heard();
  }
  int16_t factory = 0;
};

TEST_F(BuildOrder, APaidUnitIsHeardAtTheFactory) {
  w.funds[0] = 10;
  heard();
  const std::vector<SoundEvent> e = confirm();
  ASSERT_EQ(sounds(e), (std::vector<Sound>{Sound::kMenuConfirm, Sound::kUnitBuilt}));
  EXPECT_FLOAT_EQ(e[1].x, 40.0f);
  EXPECT_FLOAT_EQ(e[1].y, -20.0f);
}

TEST_F(BuildOrder, WithoutTheMoneyTheOrderIsDenied) {
  w.funds[0] = 1;
  heard();
  EXPECT_EQ(sounds(confirm()), std::vector<Sound>{Sound::kMenuDenied});
}

TEST_F(BuildOrder, RentEarnedInTheSameFrameDoesNotHideThePurchase) {
  // Two residences earn 2 as the unit costs 2: the funds stand still.
  spawn(kTypeResidence, 1, -40, 0);
  spawn(kTypeResidence, 1, -50, 0);
  w.funds[0] = 10;
  w.frame_counter = 50;
  heard();
  const std::vector<SoundEvent> e = confirm();
  EXPECT_EQ(w.funds[0], 10);
  EXPECT_EQ(sounds(e), (std::vector<Sound>{Sound::kMenuConfirm, Sound::kUnitBuilt}));
}

}  // namespace
}  // namespace quarvex
