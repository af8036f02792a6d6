#include <gtest/gtest.h>

#include "app/message_line.h"
#include "app/options.h"
#include "replay/key_script.h"
#include "replay/recording.h"
#include "test_files.h"

namespace quarvex {
namespace {

ParseOutcome parse(std::vector<const char*> args, Options& options, std::string& error) {
  args.insert(args.begin(), "quarvex");
  return parse_options(static_cast<int>(args.size()), args.data(), options, error);
}

TEST(Options, ReadsEveryOption) {
  Options o;
  std::string error;
  ASSERT_EQ(parse({"--data",
                   "/d",
                   "--stage",
                   "3",
                   "--side",
                   "2",
                   "--start",
                   "--seed",
                   "4294967295",
                   "--headless",
                   "--frames",
                   "0",
                   "--input",
                   "in.txt",
                   "--record",
                   "rec.txt",
                   "--dump",
                   "d.json",
                   "--hash",
                   "--screenshot",
                   "5:a.png",
                   "--screenshot",
                   "9:b:c.png",
                   "--scale",
                   "3",
                   "--fullscreen",
                   "--config",
                   "my.toml",
                   "--print-settings",
                   "--unpaced",
                   "--spectate",
                   "--no-replay"},
                  o, error),
            ParseOutcome::kRun)
      << error;
  EXPECT_EQ(o.data_dir, "/d");
  EXPECT_EQ(o.stage, 3);
  EXPECT_EQ(o.side, 2);
  EXPECT_TRUE(o.start && o.headless && o.hash && o.fullscreen && o.unpaced);
  EXPECT_EQ(o.seed, 4294967295u);
  EXPECT_EQ(o.frames, 0);
  EXPECT_EQ(o.input_file, "in.txt");
  EXPECT_EQ(o.record_file, "rec.txt");
  EXPECT_EQ(o.dump_file, "d.json");
  ASSERT_EQ(o.screenshots.size(), 2u);
  EXPECT_EQ(o.screenshots[1], (std::pair<int64_t, std::string>{9, "b:c.png"}));
  EXPECT_EQ(o.scale, 3);
  EXPECT_EQ(o.config_file, "my.toml");
  EXPECT_TRUE(o.print_settings && o.spectate && o.no_replay && o.presets_given);

  Options replay;
  ASSERT_EQ(parse({"--replay", "r.qvr", "--headless"}, replay, error), ParseOutcome::kRun);
  EXPECT_EQ(replay.replay_file, "r.qvr");
  EXPECT_FALSE(replay.presets_given);
  Options windowed;
  ASSERT_EQ(parse({"--record-audio", "battle.wav"}, windowed, error), ParseOutcome::kRun);
  EXPECT_EQ(windowed.record_audio_file, "battle.wav");
}

TEST(Options, BadArgumentsNameTheArgument) {
  const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
      {{"--stage", "4"}, "--stage: '4' is outside 1..3"},
      {{"--side", "-1"}, "--side: '-1' is outside 0..3"},
      {{"--seed", "4294967296"}, "--seed: '4294967296' is outside 0..4294967295"},
      {{"--frames", "12x"}, "--frames: '12x' is not a whole number"},
      {{"--frames", "+5"}, "--frames: '+5' is not a whole number"},
      {{"--scale", "0"}, "--scale: '0' is outside 1..16"},
      {{"--screenshot", "0:a.png"}, "--screenshot: '0' is outside 1..2147483647"},
      {{"--screenshot", "7"}, "--screenshot: '7' is not FRAME:FILE"},
      {{"--dump", ""}, "--dump needs a non-empty value"},
      {{"--input"}, "--input needs a value"},
      {{"--config", ""}, "--config needs a non-empty value"},
      {{"--replay", "r.qvr", "--input", "k.txt"},
       "--replay cannot be given with --input or --record"},
      {{"--record", "k.txt", "--replay", "r.qvr"},
       "--replay cannot be given with --input or --record"},
      {{"--bogus"}, "unknown argument '--bogus'"},
      {{"--record-audio", ""}, "--record-audio needs a non-empty value"},
      {{"--headless", "--record-audio", "a.wav"},
       "--record-audio: a game without a window makes no sound"},
      {{"stray"}, "unknown argument 'stray'"},
  };
  for (const auto& [args, message] : cases) {
    Options o;
    std::string error;
    EXPECT_EQ(parse(args, o, error), ParseOutcome::kError) << message;
    EXPECT_EQ(error, message);
  }
  Options o;
  std::string error;
  EXPECT_EQ(parse({"--stage", "2", "--help"}, o, error), ParseOutcome::kHelp);
  EXPECT_EQ(parse({"--version", "--stage", "9"}, o, error), ParseOutcome::kVersion);
}

KeyMask mask(std::initializer_list<Key> keys) {
  KeyMask m = 0;
  for (Key k : keys) m = static_cast<KeyMask>(m | (1u << k));
  return m;
}

TEST(KeyScript, RangesOverlapAndCommentsAndSeed) {
  KeyScript s;
  std::string error;
  ASSERT_TRUE(
      parse_key_script("# a comment\n"
                       "seed 99  # trailing comment\r\n"
                       "1 space\n"
                       "\n"
                       "3-6 kp8 tab\n"
                       "5-8 kp8 kp0\n"
                       "20-30\n",
                       "s.txt", s, error))
      << error;
  EXPECT_EQ(s.seed, 99u);
  EXPECT_EQ(s.last_named_frame, 30);
  EXPECT_EQ(s.keys_at(1), mask({kKeySelect}));
  EXPECT_EQ(s.keys_at(2), 0);
  EXPECT_EQ(s.keys_at(3), mask({kKeyUp, kKeyFast}));
  EXPECT_EQ(s.keys_at(5), mask({kKeyUp, kKeyFast, kKeyInfo}));
  EXPECT_EQ(s.keys_at(7), mask({kKeyUp, kKeyInfo}));
  EXPECT_EQ(s.keys_at(8), mask({kKeyUp, kKeyInfo}));
  EXPECT_EQ(s.keys_at(9), 0);
  EXPECT_EQ(s.keys_at(25), 0);
  EXPECT_EQ(s.keys_at(2147483647), 0);
}

TEST(KeyScript, BadLinesNameFileAndLine) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"1 space\n2 kp2\n",
       "s.txt:2: unknown key 'kp2' (keys: kp0 kp1 kp3 kp4 kp5 kp6 kp7 kp8 "
       "kp9 space tab)"},
      {"0 space\n", "s.txt:1: frame 0: frames count from 1"},
      {"9-3 tab\n", "s.txt:1: range 9-3 runs backwards"},
      {"1-2147483648 tab\n", "s.txt:1: frame 2147483648 is outside 1..2147483647"},
      {"99999999999999999999 tab\n",
       "s.txt:1: frame 99999999999999999999 is outside 1..2147483647"},
      {"\n\nseed -1\n", "s.txt:3: seed '-1' is not a whole number 0..4294967295"},
      {"seed 1\nseed 2\n", "s.txt:2: the seed is given twice"},
      {"seed\n", "s.txt:1: 'seed' needs exactly one number"},
      {"x space\n", "s.txt:1: 'x' is not a frame number or 'seed'"},
      {"1- space\n", "s.txt:1: '' is not a frame number or 'seed'"},
  };
  for (const auto& [text, message] : cases) {
    KeyScript s;
    std::string error;
    EXPECT_FALSE(parse_key_script(text, "s.txt", s, error)) << text;
    EXPECT_EQ(error, message);
  }
  KeyScript s;
  std::string error;
  EXPECT_FALSE(load_key_script("/nonexistent/keys.txt", s, error));
  EXPECT_EQ(error, "/nonexistent/keys.txt: cannot open the key script");
}

TEST(Recording, MergesEqualFramesWritesChecksAndTheEndAndReadsBackAsTheSameGame) {
  testing::TempDir dir;
  const std::vector<KeyMask> frames = {
      mask({kKeySelect}), 0, 0, mask({kKeyUp, kKeyFast}), mask({kKeyUp, kKeyFast}),
      mask({kKeyUp}),     0};
  Recording recording;
  std::string error;
  recording.begin(PlayStart{3, 2, true, true}, "9.8.7");
  // Frames before the file exists are kept and written when it opens.
  recording.add(frames[0]);
  recording.seed(1234u);
  ASSERT_TRUE(recording.open(dir.file("rec.qvr"), true, error)) << error;
  for (size_t i = 1; i < frames.size(); ++i) recording.add(frames[i]);
  recording.check(0xfedcba9876543210u);
  ASSERT_TRUE(recording.finish(0x0123456789abcdefu, error)) << error;
  const std::string text = testing::read_text(dir.file("rec.qvr"));
  EXPECT_NE(text.find("\nversion 9.8.7\nstage 3\nside 2\nstart\nwatch\nseed 1234\n1 space\n2-3\n"
                      "4-5 kp8 tab\n6 kp8\ncheck 7 fedcba9876543210\n7\n"
                      "end 7 0123456789abcdef\n"),
            std::string::npos)
      << text;
  KeyScript s;
  ASSERT_TRUE(parse_key_script(text, "rec.qvr", s, error)) << error;
  EXPECT_EQ(s.seed, 1234u);
  EXPECT_EQ(s.version, "9.8.7");
  EXPECT_TRUE(s.start && s.watch);
  EXPECT_EQ(s.stage, 3);
  EXPECT_EQ(s.side, 2);
  EXPECT_EQ(s.last_named_frame, 7);
  for (size_t i = 0; i < frames.size(); ++i)
    EXPECT_EQ(s.keys_at(static_cast<int64_t>(i + 1)), frames[i]);
  ASSERT_EQ(s.checks.size(), 1u);
  EXPECT_EQ(s.checks[0].frame, 7);
  EXPECT_EQ(s.checks[0].hash, 0xfedcba9876543210u);
  ASSERT_TRUE(s.end);
  EXPECT_EQ(s.end->hash, 0x0123456789abcdefu);

  // A replay file is never replaced; a folder that does not exist is an error.
  Recording again;
  again.begin(PlayStart{}, "1");
  EXPECT_FALSE(again.open(dir.file("rec.qvr"), true, error));
  EXPECT_NE(error.find("File exists"), std::string::npos) << error;
  EXPECT_FALSE(again.open(dir.file("missing/rec.qvr"), false, error));
}

// A full disk stops the recording with one message and keeps nothing half-said.
TEST(Recording, AFullDiskIsOneErrorAndTheRecordingStops) {
  Recording recording;
  std::string error;
  recording.begin(PlayStart{}, "1");
  EXPECT_FALSE(recording.open("/dev/full", false, error));
  EXPECT_NE(error.find("No space left"), std::string::npos) << error;
  EXPECT_FALSE(recording.active());
  recording.add(1);
  EXPECT_TRUE(recording.flush(error));
  EXPECT_TRUE(recording.finish(0, error));
}

TEST(KeyScript, RecordingLinesAndTheirFaults) {
  KeyScript s;
  std::string error;
  ASSERT_TRUE(
      parse_key_script("version 1.0.0\nside 3\n1-5 kp6\ncheck 5 00000000000000FF\n"
                       "check 2 0000000000000001\nend 9 000000000000000a\n",
                       "r.qvr", s, error))
      << error;
  EXPECT_EQ(s.side, 3);
  EXPECT_EQ(s.stage, 1);
  EXPECT_FALSE(s.start);
  EXPECT_EQ(s.last_named_frame, 9);  // the end names the last frame
  ASSERT_EQ(s.checks.size(), 2u);
  EXPECT_EQ(s.checks[0].frame, 2);
  EXPECT_EQ(s.checks[1].hash, 0xFFu);
  EXPECT_EQ(s.lines, 6);

  const std::vector<std::pair<std::string, std::string>> cases = {
      {"stage 4\n", "r.qvr:1: 'stage' needs one number 1..3"},
      {"side 0\nside 1\n", "r.qvr:2: the side is given twice"},
      {"start now\n", "r.qvr:1: 'start' takes nothing after it"},
      {"version\n", "r.qvr:1: 'version' needs one word of at most 64 printable characters"},
      {"check 0 0000000000000000\n",
       "r.qvr:1: check frame '0' is not a whole number 1..2147483647"},
      {"check 10 00000000000000\n", "r.qvr:1: check hash '00000000000000' is not 16 hex digits"},
      {"check 10\n", "r.qvr:1: 'check' needs a frame and a hash of 16 hex digits"},
      {"check 10 0000000000000000\ncheck 10 0000000000000001\n",
       "r.qvr:2: frame 10 is checked twice"},
      {"20 kp8\nend 10 0000000000000000\n",
       "r.qvr:2: the end, frame 10, comes before frame 20 named earlier"},
      {"end 10 0000000000000000\n11-12\n", "r.qvr:2: frame 12 comes after the end, frame 10"},
      {"end 10 0000000000000000\ncheck 11 0000000000000000\n",
       "r.qvr:2: frame 11 comes after the end, frame 10"},
  };
  for (const auto& [text, message] : cases) {
    EXPECT_FALSE(parse_key_script(text, "r.qvr", s, error)) << text;
    EXPECT_EQ(error, message);
  }
}

}  // namespace
}  // namespace quarvex

namespace quarvex {
namespace {

TEST(MessageLine, OneLinePerBoxWithNewlinesEscaped) {
  EXPECT_EQ(message_line(12, "GAME OVER"), "12: message: GAME OVER\n");
  EXPECT_EQ(message_line(3, "a\nb\n"), "3: message: a\\nb\\n\n");
}

}  // namespace
}  // namespace quarvex
