#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
  // Several humans start at the stage; the bit flip defaults to bit 0.
  Options humans;
  ASSERT_EQ(parse({"--humans", "3,0", "--flip-bit", "30:units[12].x"}, humans, error),
            ParseOutcome::kRun)
      << error;
  EXPECT_EQ(humans.humans, 0b1001);
  EXPECT_TRUE(humans.start && humans.presets_given);
  ASSERT_TRUE(humans.flip_bit);
  EXPECT_EQ(humans.flip_bit->frame, 30);
  EXPECT_EQ(humans.flip_bit->field, "units[12].x");
  EXPECT_EQ(humans.flip_bit->bit, 0);
  ASSERT_EQ(parse({"--flip-bit", "7:funds[2]:31"}, humans, error), ParseOutcome::kRun);
  EXPECT_EQ(humans.flip_bit->bit, 31);

  // A networked game: created with its sides, or joined (codes in either
  // case), kept and checked as any game.
  Options create;
  ASSERT_EQ(parse({"--headless", "--connect", "ws://h:1", "--create-game", "--humans", "0,2"},
                  create, error),
            ParseOutcome::kRun)
      << error;
  EXPECT_TRUE(create.create_game);
  EXPECT_EQ(create.humans, 0b0101);
  Options join;
  ASSERT_EQ(parse({"--headless", "--connect", "wss://h:1", "--code", "qwErty", "--token",
                   "0123456789abcdefABCDEF0123456789", "--record", "r.txt", "--flip-bit",
                   "9:funds[1]", "--dump", "d.json"},
                  join, error),
            ParseOutcome::kRun)
      << error;
  EXPECT_EQ(join.code, "QWERTY");
  EXPECT_EQ(join.record_file, "r.txt");
  // In the window, creating a game also plays it, and keeps what it plays.
  Options window;
  ASSERT_EQ(parse({"--connect", "ws://h:1", "--create-game", "--humans", "1,2", "--record", "r.txt",
                   "--frames", "2000"},
                  window, error),
            ParseOutcome::kRun)
      << error;
  EXPECT_FALSE(window.headless);
  EXPECT_EQ(window.record_file, "r.txt");
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
      {{"--humans", "0,4"}, "--humans: '4' is outside 0..3"},
      {{"--humans", "1,"}, "--humans: '' is not a whole number"},
      {{"--humans", "2,2"}, "--humans: side 2 is given twice"},
      {{"--humans", "0,1", "--side", "1"}, "--humans cannot be given with --side"},
      {{"--spectate", "--humans", "0,1"}, "--humans cannot be given with --spectate"},
      {{"--edit", "mine.aod", "--headless"},
       "--edit opens the editor in a window; it cannot be given with --headless, --start, "
       "--stage-file, --random-stage, --replay, --input, --humans or --connect"},
      {{"--flip-bit", "5"}, "--flip-bit: '5' is not FRAME:FIELD or FRAME:FIELD:BIT"},
      {{"--flip-bit", "5::3"}, "--flip-bit: '5::3' is not FRAME:FIELD or FRAME:FIELD:BIT"},
      {{"--flip-bit", "0:rand_state"}, "--flip-bit: '0' is outside 1..2147483647"},
      {{"--flip-bit", "5:rand_state:32"}, "--flip-bit: '32' is outside 0..31"},
      {{"--code", "QWERTY"}, "--create-game, --code and --token need --connect"},
      {{"--connect", "ws://h:1", "--code", "QWERTY", "--input", "k.txt"},
       "--input: a networked game in the window is played with the player's keys"},
      {{"--headless", "--connect", "ws://h:1"}, "--connect needs either --create-game or --code"},
      {{"--headless", "--connect", "ws://h:1", "--code", "QWERTZ1"},
       "--code: 'QWERTZ1' is not six letters"},
      {{"--headless", "--connect", "ws://h:1", "--code", "QWERTY", "--token", "12"},
       "--token: '12' is not 32 hexadecimal digits"},
      {{"--headless", "--connect", "ws://h:1", "--code", "QWERTY", "--humans", "0,1"},
       "--humans: the sides of a game joined are the game's; give them with --create-game"},
      {{"--headless", "--connect", "ws://h:1", "--code", "QWERTY", "--replay", "r.txt"},
       "--connect cannot be given with --replay"},
      {{"--headless", "--connect", "ws://h:1", "--create-game", "--record", "r.txt"},
       "--create-game only creates the game: --record, --dump and --flip-bit go with --code"},
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
  recording.begin(PlayStart{3, 2, true, true, 0, 0x1122334455667788u, 77u}, "9.8.7");
  // Frames before the file exists are kept and written when it opens.
  recording.add(frames[0]);
  recording.seed(1234u);
  ASSERT_TRUE(recording.open(dir.file("rec.qvr"), true, error)) << error;
  for (size_t i = 1; i < frames.size(); ++i) recording.add(frames[i]);
  recording.check(0xfedcba9876543210u);
  ASSERT_TRUE(recording.finish(0x0123456789abcdefu, error)) << error;
  const std::string text = testing::read_text(dir.file("rec.qvr"));
  EXPECT_NE(text.find("\nversion 9.8.7\nstage 3\nside 2\nstart\nwatch\nrandom-stage 77\n"
                      "stage-hash 1122334455667788\nseed 1234\n1 space\n2-3\n"
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
  EXPECT_EQ(s.random_stage, 77u);
  EXPECT_EQ(s.stage_hash, 0x1122334455667788u);
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
      // Of two frames checked twice, the one whose second check comes first;
      // before a later line's own error.
      {"check 9 0000000000000000\ncheck 5 0000000000000000\ncheck 9 0000000000000001\n"
       "check 5 0000000000000001\n",
       "r.qvr:3: frame 9 is checked twice"},
      {"check 7 0000000000000000\ncheck 7 0000000000000000\nside 9\n",
       "r.qvr:2: frame 7 is checked twice"},
      // A cut last line is forgiven in an unfinished recording only.
      {"1 kp8\ncheck 1 00000000", "r.qvr:2: check hash '00000000' is not 16 hex digits"},
      {"version 1\nend 1 0000000000000000\ncheck 1 00000000",
       "r.qvr:3: check hash '00000000' is not 16 hex digits"},
      {"stage-hash 12\n", "r.qvr:1: 'stage-hash' needs a hash of 16 hex digits"},
      {"stage-hash 0000000000000001\nstage-hash 0000000000000001\n",
       "r.qvr:2: the stage hash is given twice"},
      {"random-stage -1\n", "r.qvr:1: 'random-stage' needs one number 0..4294967295"},
      {"random-stage 1\nrandom-stage 1\n", "r.qvr:2: the random stage is given twice"},
  };
  for (const auto& [text, message] : cases) {
    EXPECT_FALSE(parse_key_script(text, "r.qvr", s, error)) << text;
    EXPECT_EQ(error, message);
  }

  // A recording that stops without its end, in the middle of its last line.
  ASSERT_TRUE(
      parse_key_script("version 1\n1-40 kp8\ncheck 40 0000000000000007\n41-5", "r.qvr", s, error))
      << error;
  EXPECT_FALSE(s.end);
  EXPECT_EQ(s.last_named_frame, 40);
  EXPECT_EQ(s.checks.size(), 1u);
}

// A replay whose checks run backwards is read in time that grows with the
// file, not with its square: a million of them take well under a second.
// The guard is a CPU limit far above that, so only a reader that slows with
// the square of the file (minutes here) is stopped by it.
TEST(KeyScript, ChecksInAnyOrderAreReadSortedWithoutStallingOnALargeFile) {
  constexpr int kChecks = 1000000;
  std::string text = "version 1\n";
  text.reserve(size_t{kChecks} * 28);
  for (int frame = kChecks; frame >= 1; --frame) {
    text +=
        "check " + std::to_string(frame) + " 000000000000000" + std::to_string(frame % 10) + "\n";
  }
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit cpu{20, 20};
    setrlimit(RLIMIT_CPU, &cpu);
    KeyScript s;
    std::string error;
    if (!parse_key_script(text, "r.qvr", s, error)) _exit(2);
    if (s.checks.size() != size_t{kChecks} || s.checks.front().frame != 1 ||
        s.checks.back().frame != kChecks || s.checks[4].hash != 5u) {
      _exit(3);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "stopped by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(KeyScript, SeveralHumansNameTheirSidesAndEvents) {
  KeyScript s;
  std::string error;
  ASSERT_TRUE(
      parse_key_script("humans 0 2\n"
                       "2: 3-5 kp8\n"
                       "0: 4 space\n"
                       "2: 5 tab\n"
                       "computer 5 2\n"
                       "human 9 2\n"
                       "pause 5 0\n"
                       "resume 6 0\n"
                       "0: 10-12\n",
                       "m.txt", s, error))
      << error;
  EXPECT_EQ(s.humans, 0b0101);
  EXPECT_EQ(s.sides_named, 0b0101);
  EXPECT_TRUE(s.spans.empty());
  EXPECT_EQ(s.last_named_frame, 12);
  FrameInput five;
  five.keys[2] = mask({kKeyUp, kKeyFast});
  five.to_computer = 0b0100;
  five.pause = 0b0001;
  EXPECT_EQ(s.input_at(5), five);
  FrameInput four;
  four.keys[0] = mask({kKeySelect});
  four.keys[2] = mask({kKeyUp});
  EXPECT_EQ(s.input_at(4), four);
  EXPECT_EQ(s.input_at(6).resume, 0b0001);
  EXPECT_EQ(s.input_at(9).to_human, 0b0100);
  EXPECT_EQ(s.input_at(7), FrameInput{});
  // Without a 'humans' line the sides come from the command line.
  ASSERT_TRUE(parse_key_script("1: 1 kp4\n", "m.txt", s, error)) << error;
  EXPECT_EQ(s.humans, 0);
  EXPECT_EQ(s.input_at(1).keys[1], mask({kKeyLeft}));

  const std::vector<std::pair<std::string, std::string>> cases = {
      {"humans\n", "m.txt:1: 'humans' needs the human sides, as in 'humans 0 2'"},
      {"humans 0 4\n", "m.txt:1: human side '4' is not a side 0..3"},
      {"humans 1 1\n", "m.txt:1: side 1 is named twice"},
      {"humans 0\nhumans 1\n", "m.txt:2: the human sides are given twice"},
      {"side 1\nhumans 1 2\n",
       "m.txt:2: 'humans' does not go with 'side' or 'watch': the lowest human side is the "
       "player's"},
      {"humans 1 2\nwatch\n", "m.txt:2: 'watch' does not go with 'humans'"},
      {"humans 0 2\n1: 4 kp8\n", "m.txt:2: side 1 is not a human side (humans 0 2)"},
      {"3: 4 kp8\nhumans 0 2\n",
       "m.txt:2: side 3 is named by an earlier line but is not a human side"},
      {"humans 0 2\ncomputer 5 3\n", "m.txt:2: side 3 is not a human side (humans 0 2)"},
      {"pause 5\n",
       "m.txt:1: 'pause' needs a frame 1..2147483647 and a side 0..3, as in "
       "'pause 900 2'"},
      {"human 0 1\n",
       "m.txt:1: 'human' needs a frame 1..2147483647 and a side 0..3, as in "
       "'human 900 2'"},
      {"0: 4 kp8\n5 kp8\n",
       "m.txt:2: key lines either all name their side ('2: 10-40 kp8', a game of several "
       "humans) or none does"},
      {"2:\n", "m.txt:1: side 2 needs frames and keys, as in '2: 10-40 kp8'"},
      {"humans 0 1\n5 kp8\n",
       "m.txt:2: a game of several humans names the side of every key line, as '2: 10-40 kp8'"},
      {"5-9\nhumans 0 1\n",
       "m.txt:2: a game of several humans names the side of every key line, as '2: 10-40 kp8'"},
      {"end 10 0000000000000000\ncomputer 11 0\n",
       "m.txt:2: frame 11 comes after the end, frame 10"},
  };
  for (const auto& [text, message] : cases) {
    EXPECT_FALSE(parse_key_script(text, "m.txt", s, error)) << text;
    EXPECT_EQ(error, message);
  }
}

TEST(Recording, SeveralHumansReadBackAsTheSameInputs) {
  testing::TempDir dir;
  std::vector<FrameInput> frames(6);
  frames[0].keys[1] = frames[1].keys[1] = mask({kKeySelect});
  frames[1].keys[3] = frames[2].keys[3] = frames[3].keys[3] = mask({kKeyLeft});
  frames[2].to_computer = 0b0010;
  frames[4].to_human = 0b0010;
  frames[4].keys[1] = mask({kKeyFast});
  frames[5].pause = 0b1000;
  Recording recording;
  std::string error;
  recording.begin(PlayStart{2, 1, true, false, 0b1010, {}, {}}, "9.8.7");
  // Names are the rest of the line: spaces, '#' and '%' come back as they were.
  recording.player(1, "Mika #1  100%");
  recording.player(0, "Eve\nend 1 00");  // stays one line
  ASSERT_TRUE(recording.open(dir.file("m.qvr"), true, error)) << error;
  for (const FrameInput& input : frames) recording.add(input);
  recording.player(3, "\xE3\x81\x95\xE3\x81\x8F\xE3\x82\x89");  // a later name, in Japanese
  ASSERT_TRUE(recording.finish(0x0123456789abcdefu, error)) << error;
  const std::string text = testing::read_text(dir.file("m.qvr"));
  EXPECT_NE(text.find("\nstage 2\nhumans 1 3\nstart\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("\nside "), std::string::npos) << text;
  EXPECT_NE(text.find("\ncomputer 3 1\n"), std::string::npos) << text;
  KeyScript s;
  ASSERT_TRUE(parse_key_script(text, "m.qvr", s, error)) << error;
  EXPECT_EQ(s.humans, 0b1010);
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(s.input_at(static_cast<int64_t>(i + 1)), frames[i]) << i;
  }
  EXPECT_EQ(s.players[1], "Mika #1  100%");
  EXPECT_EQ(s.players[3], "\xE3\x81\x95\xE3\x81\x8F\xE3\x82\x89");
  EXPECT_EQ(s.players[0], "Eveend 1 00");
  EXPECT_EQ(s.end->frame, 6);

  // Names come from other machines: a replay that names a player with what
  // no name holds is refused at that line.
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"player 4 Ann\n", "p.qvr:1: 'player' names side 4, not one of 0..3"},
      {"player 1\n", "p.qvr:1: 'player' needs a side and a name"},
      {"player 1 A\x01\x02\n",
       "p.qvr:1: side 1's player name is not one: at most 24 characters "
       "of UTF-8 text without control characters"},
      {"player 0 \xFF\xFE\n",
       "p.qvr:1: side 0's player name is not one: at most 24 characters "
       "of UTF-8 text without control characters"},
      {"player 2 " + std::string(25, 'x') + "\n",
       "p.qvr:1: side 2's player name is not one: at most 24 characters of UTF-8 text without "
       "control characters"},
  };
  for (const auto& [text, message] : bad) {
    EXPECT_FALSE(parse_key_script(text, "p.qvr", s, error)) << text;
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
  EXPECT_EQ(message_line(9, "COMPLETE", 2), "9: message for side 2: COMPLETE\n");
}

}  // namespace
}  // namespace quarvex
