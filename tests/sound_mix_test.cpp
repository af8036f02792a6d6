// Where sounds are heard from and which of them get the sixteen voices:
// panning, fading with distance, merging, stealing and the headroom that
// keeps the mix from clipping.

#include <gtest/gtest.h>

#include <vector>

#include "audio/spatial_mix.h"
#include "audio/voice_pool.h"

namespace quarvex {
namespace {

constexpr double kReach = 40.0;

Listener camera(double yaw = 0.0) {
  Listener l;
  l.reach = kReach;
  l.yaw = yaw;
  return l;
}

TEST(SpatialMix, PanFollowsTheCameraAndItsTurn) {
  EXPECT_GT(place(camera(), 20, 0).pan, 0.4);
  EXPECT_LT(place(camera(), -20, 0).pan, -0.4);
  EXPECT_NEAR(place(camera(), 0, 20).pan, 0.0, 1e-9);
  // Driving a unit that faces -x turns the picture: +y is now on the right.
  const double yaw = 3.14159265358979 / 2;
  EXPECT_GT(place(camera(yaw), 0, 20).pan, 0.4);
  EXPECT_NEAR(place(camera(yaw), 20, 0).pan, 0.0, 1e-9);
  double left = 0, right = 0;
  pan_gains(0.0, left, right);
  EXPECT_NEAR(left, 1.0, 1e-9);
  EXPECT_NEAR(right, 1.0, 1e-9);
  pan_gains(1.0, left, right);
  EXPECT_NEAR(left, 0.0, 1e-9);
  EXPECT_NEAR(right, 1.0, 1e-9);
}

TEST(SpatialMix, FullWithinThePictureFadingOutsideSilentBeyondTheRadius) {
  EXPECT_DOUBLE_EQ(place(camera(), 30, 20).gain, 1.0);
  const double near = place(camera(), 60, 0).gain, far = place(camera(), 120, 0).gain;
  EXPECT_GT(near, far);
  EXPECT_GT(far, 0.0);
  EXPECT_EQ(place(camera(), kReach * kHearingReaches, 0).gain, 0.0);
  EXPECT_EQ(place(camera(), 0, -400).gain, 0.0);
}

TEST(SpatialMix, OneSoundFromManyPlacesInAFrameIsOneVoiceALittleLouder) {
  SoundEvents events;
  const double single = place(camera(), 100, 0).gain;
  for (int i = 0; i < 30; ++i) events.add(Sound::kSmallArms, 100, 0);
  events.add(Sound::kSmallArms, 0, 500);  // out of hearing: no part in it
  events.add(Sound::kCannon, -10, 0);
  events.add_interface(Sound::kMenuMove);
  VoiceRequests requests;
  gather_requests(events, camera(), requests);
  ASSERT_EQ(requests.count, 3);
  // Loudest first; the interface sound is whole and in the middle.
  EXPECT_EQ(requests.list[0].gain, 1.0);
  const VoiceRequest& volley = requests.list[2];
  EXPECT_EQ(volley.sound, Sound::kSmallArms);
  EXPECT_EQ(volley.merged, 30);
  EXPECT_GT(volley.gain, single * 1.4);
  EXPECT_LE(volley.gain, single * 1.5);
  EXPECT_DOUBLE_EQ(volley.pan, 1.0);
}

// Every sound a second long at 90 % of full scale, falling to 10 % after 0.5 s.
constexpr double kPeak = 0.9, kTail = 0.1;

class Voices : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<int16_t> samples(44100, int16_t(kPeak * 32767));
    std::fill(samples.begin() + 22050, samples.end(), int16_t(kTail * 32767));
    for (int i = 0; i < kSoundCount; ++i) peaks.set(static_cast<Sound>(i), samples);
  }
  VoiceRequests requests(std::initializer_list<std::pair<Sound, double>> wanted) {
    VoiceRequests r;
    for (const auto& [sound, gain] : wanted) r.list[r.count++] = VoiceRequest{sound, gain, 0, 1};
    return r;
  }
  // The voices started so far, as the mixer would report them.
  void ring(const VoiceStarts& starts) {
    for (int i = 0; i < starts.count; ++i) ringing[starts.list[i].voice] = true;
  }
  double loudness_of(const VoiceStarts& starts) {
    double sum = 0;
    for (int i = 0; i < starts.count; ++i) sum += starts.list[i].volume * kPeak;
    return sum;
  }

  PeakEnvelopes peaks;
  VoicePool pool;
  std::array<bool, kBattleVoices> ringing{};
  VoiceStarts starts;
};

TEST_F(Voices, TogetherTheyStayWithinTheirShareOfFullScale) {
  VoiceRequests many;
  for (int i = 0; i < static_cast<int>(Sound::kMenuMove); ++i) {
    many.list[many.count++] = VoiceRequest{static_cast<Sound>(i), 1.0 - i * 0.01, 0, 1};
  }
  pool.assign(many, 1.0, 0, ringing, peaks, starts);
  EXPECT_LE(loudness_of(starts), kBattleHeadroom + 1e-4);
  // The loudest gets the most of it.
  ASSERT_GT(starts.count, 0);
  EXPECT_EQ(starts.list[0].sound, Sound::kSmallArms);
  EXPECT_NEAR(starts.list[0].volume, kBattleHeadroom / kPeak, 1e-4);
  ring(starts);
  // While they ring, a new sound gets only what is left; once they have
  // fallen quiet, room opens again.
  VoiceStarts later;
  pool.assign(requests({{Sound::kCannon, 1.0}}), 1.0, 100, ringing, peaks, later);
  EXPECT_EQ(later.count, 0);
  pool.assign(requests({{Sound::kCannon, 1.0}}), 1.0, 700, ringing, peaks, later);
  ASSERT_EQ(later.count, 1);
  const double tail_of_the_first = starts.list[0].volume * kTail;
  EXPECT_NEAR(later.list[0].volume * kPeak + tail_of_the_first, kBattleHeadroom, 1e-4);
}

TEST_F(Voices, SixteenAtMostAndALouderSoundTakesTheQuietestVoice) {
  VoiceRequests quiet;
  for (int i = 0; i < 20; ++i) {
    quiet.list[quiet.count++] = VoiceRequest{static_cast<Sound>(i), 0.04 - i * 0.001, 0, 1};
  }
  pool.assign(quiet, 1.0, 0, ringing, peaks, starts);
  EXPECT_EQ(starts.count, kBattleVoices);
  ring(starts);
  VoiceStarts next;
  pool.assign(requests({{Sound::kBomb, 0.5}, {Sound::kSalvo, 0.01}}), 1.0, 10, ringing, peaks,
              next);
  ASSERT_EQ(next.count, 1);
  EXPECT_EQ(next.list[0].sound, Sound::kBomb);
  EXPECT_TRUE(next.list[0].steals);
  EXPECT_EQ(next.list[0].voice, kBattleVoices - 1);  // the quietest of the sixteen
  // A voice the mixer has finished is free again, and nothing is stolen.
  ringing[3] = false;
  pool.assign(requests({{Sound::kRocket, 0.05}}), 1.0, 20, ringing, peaks, next);
  ASSERT_EQ(next.count, 1);
  EXPECT_EQ(next.list[0].voice, 3);
  EXPECT_FALSE(next.list[0].steals);
}

TEST_F(Voices, TheVolumeSettingScalesAndSilencesTheBattleButNotTheMenus) {
  pool.assign(requests({{Sound::kCannon, 0.5}, {Sound::kMenuMove, 1.0}}), 0.4, 0, ringing, peaks,
              starts);
  ASSERT_EQ(starts.count, 1);
  EXPECT_NEAR(starts.list[0].volume, 0.2, 1e-9);
  pool.assign(requests({{Sound::kCannon, 0.5}}), 0.0, 0, ringing, peaks, starts);
  EXPECT_EQ(starts.count, 0);
}

}  // namespace
}  // namespace quarvex
