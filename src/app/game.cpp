#include "app/game.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "app/world_output.h"
#include "replay/battle_version.h"
#include "replay/replay_folder.h"
#include "world/bit_flip.h"
#include "world/humans.h"
#include "world/snapshot.h"
#include "world/watch_keys.h"
#include "world/world_reset.h"

namespace quarvex {

// The host a frame sees: the driver's host with the Game's keys, seed and
// stage files put in.
class Game::FrameServices : public FrameHost {
 public:
  explicit FrameServices(Game& game) : game_(game) {}
  void bind(FrameHost& host) { host_ = &host; }

  void show_message(const char* text, std::span<const MessageArg> args) override {
    host_->show_message(text, args);
  }
  void show_side_message(int side, const char* text, std::span<const MessageArg> args) override {
    host_->show_side_message(side, text, args);
  }
  uint32_t stage_seed() override {
    const uint32_t seed = game_.fixed_seed_ ? *game_.fixed_seed_ : host_->stage_seed();
    game_.stage_loading(seed);
    return seed;
  }
  void load_ground_image(const char* path) override { host_->load_ground_image(path); }
  StageFiles stage_files(int stage_number) override { return game_.stage_files(stage_number); }
  uint8_t closed_sides() override { return game_.play_start_.closed; }
  void sample_keys(std::array<bool, kKeyCount>& down) override { host_->sample_keys(down); }
  void sample_input(const World& w, FrameInput& input) override {
    if (game_.given_input_ != nullptr) {
      input = *game_.given_input_;
    } else if (several_humans(w) && game_.has_script_) {
      input = game_.script_.input_at(game_.current_frame_);
    } else {
      // The keys of one player: the script's, or the host's live keys (in a
      // game of several humans, those of the player's side).
      std::array<bool, kKeyCount> down{};
      if (game_.has_script_) {
        keys_from_mask(game_.script_.keys_at(game_.current_frame_), down);
      } else {
        host_->sample_keys(down);
      }
      if (game_.watching_) keep_watching_keys(w, down);
      input = FrameInput{};
      if (is_side_index(w.player_side)) input.keys[w.player_side] = mask_from_keys(down);
    }
    game_.record(w, input);
  }
  void render(const World& w) override { host_->render(w); }
  int32_t clock_ms() override { return host_->clock_ms(); }
  int64_t calendar_seconds() override { return host_->calendar_seconds(); }
  void sleep_ms(int32_t ms) override { host_->sleep_ms(ms); }
  void nap() override { host_->nap(); }
  bool paced() override { return host_->paced(); }
  bool watching() override { return game_.watching_; }

 private:
  Game& game_;
  FrameHost* host_ = nullptr;
};

DataFolders resolve_data_folders(const std::string& option) {
  // An installed game never reaches into the build tree, even when its data is
  // incomplete: the files it misses are then named in its own folder. A binary
  // in the build folder has no such folder beside it and keeps the build's data.
  return data_folders(option, own_data_folder(QUARVEX_DATA_FROM_BINARY, QUARVEX_BUILT_DATA_DIR));
}

Game::Game()
    : world_(std::make_unique<World>()), services_(std::make_unique<FrameServices>(*this)) {
  init_world(*world_);
}

Game::~Game() {
  if (dump_file_ != nullptr) std::fclose(dump_file_);
}

bool Game::begin(const Options& options, std::string& error) {
  options_ = options;
  data_ = resolve_data_folders(options.data_dir);
  play_start_ = PlayStart{options.stage, options.side, options.start, options.spectate, 0, {}, {}};
  const std::string& script_file =
      options.replay_file.empty() ? options.input_file : options.replay_file;
  if (!script_file.empty()) {
    if (!load_key_script(script_file, script_, error)) return false;
    has_script_ = true;
  }
  if (!options.replay_file.empty()) {
    // A recording says where its play started; an older key script without
    // a version line takes that from the command line, as --input does.
    if (script_.is_recording()) {
      if (options.presets_given) {
        error = "--replay: '" + script_file +
                "' says where its play started; leave out --stage, --side, --start, --seed, "
                "--random-stage and --spectate";
        return false;
      }
      if (!plays_these_battles(script_.version)) {
        error = script_file + ": " + battles_differ_text(script_.version, QUARVEX_VERSION);
        failure_status_ = 3;
        return false;
      }
      play_start_ = PlayStart{
          script_.stage, script_.side, script_.start, script_.watch, script_.humans, {}, {},
          script_.closed};
    }
    replay_state_ = ReplayState::kPlaying;
    // A recording without its end (the game that wrote it was stopped, or is
    // still writing it) plays as far as it goes.
    replay_last_frame_ = script_.end ? script_.end->frame : script_.last_named_frame;
  }
  if (!take_humans(script_file, error)) return false;
  if (options.flip_bit) {
    auto scratch = std::make_unique<World>();
    if (!flip_world_bit(*scratch, options.flip_bit->field, options.flip_bit->bit, error)) {
      error = "--flip-bit: " + error;
      return false;
    }
    flip_bit_ = options.flip_bit;
  }
  if (!choose_stage(options, error)) return false;
  fixed_seed_ = options.seed ? options.seed : script_.seed;
  if (!options.dump_file.empty()) {
    dump_file_ = std::fopen(options.dump_file.c_str(), "w");
    if (dump_file_ == nullptr) {
      error = "--dump: cannot write '" + options.dump_file + "': " + std::strerror(errno);
      return false;
    }
  }
  if (options.frames) {
    frame_limit_ = options.frames;
  } else if (options.headless && !replaying()) {
    frame_limit_ = std::max<int64_t>(script_.last_named_frame, 1);
  }

  start_play();
  if (!options.record_file.empty()) {
    record_.begin(play_start_, QUARVEX_VERSION);
    if (!record_.open(options.record_file, false, error)) {
      error = "--record: " + error;
      return false;
    }
  }
  begin_recordings();
  if (replaying() && replay_last_frame_ == 0) end_replay();
  return true;
}

// A recording of a player's stage names it by its content hash and is
// played with that stage; --stage-file and --random-stage play one at once.
bool Game::choose_stage(const Options& options, std::string& error) {
  if (replaying() && script_.is_recording()) {
    if (script_.stage_hash) return find_recorded_stage(options, error);
    if (!options.stage_file.empty()) {
      error = "--stage-file: '" + options.replay_file + "' is a replay of the game's own stage " +
              std::to_string(script_.stage);
      return false;
    }
    return true;
  }
  if (!options.stage_file.empty()) {
    PlayableStage stage;
    std::vector<std::string> errors;
    if (!read_player_stage(options.stage_file, stage, errors)) {
      error = "--stage-file: " + errors.front();
      for (size_t i = 1; i < errors.size(); ++i) error += "; " + errors[i];
      return false;
    }
    played_ = std::move(stage);
  } else if (options.random_stage) {
    played_ = generated_stage(*options.random_stage, options.stage);
  }
  if (played_) {
    play_start_.stage = played_->description.ground;
    play_start_.start = true;
    play_start_.stage_hash = played_->hash;
    if (played_->origin == StageOrigin::kGenerated) play_start_.random_stage = played_->random_seed;
  }
  return true;
}

bool Game::find_recorded_stage(const Options& options, std::string& error) {
  const uint64_t recorded = *script_.stage_hash;
  const std::string replay = "'" + options.replay_file + "'";
  PlayableStage stage;
  if (script_.random_stage) {
    stage = generated_stage(*script_.random_stage, script_.stage);
    if (stage.hash != recorded) {
      error = "--replay: " + replay + " plays the random battle of seed " +
              std::to_string(*script_.random_stage) + ", which this version makes differently" +
              " (stage hash " + hash_text(stage.hash) + ", recorded " + hash_text(recorded) + ")";
      return false;
    }
  } else {
    std::string path = options.stage_file;
    const std::string folder = player_stage_folder();
    if (path.empty()) path = find_stage_by_hash(folder, recorded);
    if (path.empty()) {
      error = "--replay: " + replay + " plays a stage of a player's own (stage hash " +
              hash_text(recorded) + ") that is not in " +
              (folder.empty() ? "your stages" : folder) + "; name its file with --stage-file";
      return false;
    }
    std::vector<std::string> errors;
    if (!read_player_stage(path, stage, errors)) {
      error = "--stage-file: " + errors.front();
      return false;
    }
    if (stage.hash != recorded) {
      error = "--stage-file: '" + path + "' is not the stage " + replay + " played (stage hash " +
              hash_text(stage.hash) + ", recorded " + hash_text(recorded) + ")";
      return false;
    }
  }
  played_ = std::move(stage);
  play_start_.stage_hash = recorded;
  play_start_.random_stage = script_.random_stage;
  return true;
}

StageFiles Game::stage_files(int stage_number) {
  StageFiles files;
  ground_path_ = data_.find("map" + std::to_string(stage_number) + ".bmp");
  files.ground_path = ground_path_.c_str();
  if (played_) {
    files.stage_bytes = played_->bytes.data();
    files.stage_size = played_->bytes.size();
  } else {
    stage_path_ = data_.find("map" + std::to_string(stage_number) + ".aod");
    files.stage_path = stage_path_.c_str();
  }
  return files;
}

void Game::reset(bool start_stage, bool watch) {
  end_play();
  if (!start_stage) played_.reset();
  const World& w = *world_;
  // The humans of a game of several stay; it always starts at its stage and
  // is never watched.
  const bool several = several_humans(w);
  // So do its closed sides.
  const uint8_t closed = several ? play_start_.closed : uint8_t{0};
  play_start_ = PlayStart{w.stage_number,
                          w.player_side,
                          start_stage || several,
                          watch && !several,
                          w.human_sides,
                          {},
                          {},
                          closed};
  start_play();
  begin_recordings();
}

void Game::play_stage(PlayableStage stage, int side, bool watch) {
  end_play();
  played_ = std::move(stage);
  play_start_ = PlayStart{played_->description.ground, side, true, watch, 0, {}, {}};
  start_play();
  begin_recordings();
}

void Game::play_built_in(int stage, int side) {
  end_play();
  played_.reset();
  play_start_ = PlayStart{stage, side, true, false, 0, {}, {}};
  start_play();
  begin_recordings();
}

void Game::end_play() {
  end_recordings();
  held_count_ = 0;
  if (record_.active()) {
    std::string error;
    if (record_.finish(replay_hash(*world_), error)) {
      std::fprintf(stderr, "quarvex: --record: '%s' ends at frame %lld, where the stage was left\n",
                   options_.record_file.c_str(), static_cast<long long>(frames_run_));
    } else {
      record_error_ = "--record: " + error;
    }
  }
}

// The human sides come from --humans or from the script's 'humans' line
// (they must agree when both are given), and the script's keys must be of
// the same kind: named by side for a game of several humans, not otherwise.
bool Game::take_humans(const std::string& script_file, std::string& error) {
  uint8_t humans = options_.humans;
  if (script_.humans != 0) {
    if (humans != 0 && humans != script_.humans) {
      error = "--humans does not name the human sides of " + script_file;
      return false;
    }
    humans = script_.humans;
  }
  if (humans == 0 && script_.sides_named != 0) {
    error = script_file +
            ": its lines name sides, as a game of several humans does; play it with --humans";
    return false;
  }
  if (humans != 0 && !script_.spans.empty()) {
    error = script_file +
            ": in a game of several humans every key line names its side, as '2: 10-40 kp8'";
    return false;
  }
  if ((script_.sides_named & ~humans) != 0) {
    error = script_file + ": it names a side that no human plays (--humans)";
    return false;
  }
  play_start_.humans = humans;
  if (humans != 0 && play_start_.closed == 0) play_start_.closed = options_.closed & ~humans;
  if (humans != 0) play_start_.start = true;
  return true;
}

// Puts the World at the start of play that play_start_ describes.
void Game::start_play() {
  World& w = *world_;
  watching_ = play_start_.watch;
  if (played_) {
    play_start_.stage_hash = played_->hash;
    if (played_->origin == StageOrigin::kGenerated) play_start_.random_stage = played_->random_seed;
  }
  const auto stage = static_cast<int8_t>(play_start_.stage);
  const auto side = static_cast<int8_t>(play_start_.side);
  if (play_start_.humans != 0) {
    reset_to_several_humans(w, stage, play_start_.humans);
  } else if (play_start_.start) {
    reset_to_stage_start(w, stage, side);
  } else {
    reset_to_title(w, stage, side);
  }
}

void Game::record(const World& w, const FrameInput& input) {
  if (several_humans(w)) {
    record_.add(input);
    stage_replay_.add(input);
    return;
  }
  const KeyMask keys = is_side_index(w.player_side) ? input.keys[w.player_side] : KeyMask{0};
  record_.add(keys);
  stage_replay_.add(keys);
}

// The stage's replay starts in memory; its file is made when the stage loads.
void Game::begin_recordings() {
  if (replay_folder_.empty() || replaying()) return;
  stage_replay_.begin(play_start_, QUARVEX_VERSION);
  for (int s = 0; s < kSides; ++s) stage_replay_.player(s, players_[static_cast<size_t>(s)]);
}

void Game::name_player(int side, const std::string& name) {
  if (side < 0 || side >= kSides || players_[static_cast<size_t>(side)] == name) return;
  players_[static_cast<size_t>(side)] = name;
  record_.player(side, name);
  stage_replay_.player(side, name);
}

void Game::end_recordings() {
  std::string error;
  if (!stage_replay_.finish(replay_hash(*world_), error)) stop_keeping_replays(error);
}

void Game::stage_loading(uint32_t seed) {
  record_.seed(seed);
  if (!stage_replay_.active()) return;
  stage_replay_.seed(seed);
  if (stage_replay_.is_open()) return;
  const World& w = *world_;
  std::string error;
  if (!open_replay_file(stage_replay_, replay_folder_, std::time(nullptr), w.stage_number,
                        w.player_side, error)) {
    stop_keeping_replays(error);
    return;
  }
  prune_replays(replay_folder_, kReplaysKept, stage_replay_.path());
}

void Game::stop_keeping_replays(const std::string& why) {
  stage_replay_.drop();
  replay_folder_.clear();
  notice_ = Message{N_("Replays are not kept: {reason}. The game goes on; --no-replay or "
                       "\"record = false\" under [replays] in the settings turns recording off."),
                    {{"reason", why}}};
}

bool Game::run_frame(FrameHost& host) {
  if (frame_limit_ && frames_run_ >= *frame_limit_) return false;
  if (replaying() && replay_state_ != ReplayState::kPlaying) return false;
  current_frame_ = frames_run_ + 1;
  services_->bind(host);
  frame_tick(*world_, *services_);
  frames_run_ = current_frame_;
  if (flip_bit_ && flip_bit_->frame == frames_run_) {
    // Checked at begin, so the field is there.
    std::string unused;
    flip_world_bit(*world_, flip_bit_->field, flip_bit_->bit, unused);
  }
  after_frame(host.clock_ms());
  return true;
}

void Game::snapshot(std::vector<uint8_t>& out) const {
  encode_snapshot(*world_, static_cast<uint32_t>(frames_run_), out);
}

bool Game::load_snapshot(const uint8_t* data, size_t size, std::string& error) {
  uint32_t frame = 0;
  if (!decode_snapshot(data, size, *world_, frame, error)) return false;
  if (frame != frames_run_ && (record_.active() || stage_replay_.active())) {
    record_.drop();
    stage_replay_.drop();
    held_count_ = 0;
    notice_ =
        Message{N_("The game went on from frame {frame} without the frames before it, so it is not "
                   "recorded."),
                {{"frame", std::to_string(frame)}}};
  }
  frames_run_ = frame;
  current_frame_ = frame;
  return true;
}

bool Game::run_frame(FrameHost& host, const FrameInput& input) {
  given_input_ = &input;
  const bool ran = run_frame(host);
  given_input_ = nullptr;
  return ran;
}

void Game::pass_frame(const FrameInput& input) {
  current_frame_ = frames_run_ + 1;
  record(*world_, input);
  frames_run_ = current_frame_;
}

void Game::agree_checks(int64_t frame) {
  size_t kept = 0;
  for (size_t i = 0; i < held_count_; ++i) {
    const HeldCheck& held = held_checks_[i];
    if (held.frame > frame) {
      held_checks_[kept++] = held;
      continue;
    }
    if (held.record_frame != 0) record_.check(held.record_frame, held.hash);
    if (held.replay_frame != 0) stage_replay_.check(held.replay_frame, held.hash);
  }
  held_count_ = kept;
}

void Game::drop_checks(int64_t from_frame) {
  while (held_count_ > 0 && held_checks_[held_count_ - 1].frame >= from_frame) --held_count_;
}

void Game::after_frame(int32_t now_ms) {
  if (record_.check_due() || stage_replay_.check_due()) {
    const uint64_t hash = replay_hash(*world_);
    if (holding_checks_) {
      // When full, the oldest is never confirmed: it goes unwritten.
      if (held_count_ == kHeldChecks) {
        std::copy(held_checks_.begin() + 1, held_checks_.end(), held_checks_.begin());
        --held_count_;
      }
      held_checks_[held_count_++] =
          HeldCheck{frames_run_, record_.check_due() ? record_.frames() : 0,
                    stage_replay_.check_due() ? stage_replay_.frames() : 0, hash};
    } else {
      if (record_.check_due()) record_.check(hash);
      if (stage_replay_.check_due()) stage_replay_.check(hash);
    }
  }
  keep_recordings_current(now_ms);
  if (replay_state_ != ReplayState::kPlaying) return;
  if (next_check_ < script_.checks.size() && script_.checks[next_check_].frame == frames_run_) {
    if (replay_hash(*world_) != script_.checks[next_check_].hash) {
      replay_state_ = ReplayState::kDiffers;
      replay_differs_at_ = frames_run_;
      return;
    }
    ++next_check_;
  }
  if (frames_run_ >= replay_last_frame_) end_replay();
}

void Game::end_replay() {
  replay_state_ = ReplayState::kEnded;
  if (script_.end && replay_hash(*world_) != script_.end->hash) {
    replay_state_ = ReplayState::kDiffers;
    replay_differs_at_ = frames_run_;
  }
}

Message Game::replay_differs_message() const {
  Message m{N_("replay differs from the recorded game at frame {frame}"),
            {{"frame", std::to_string(replay_differs_at_)}}};
  if (script_.is_recording() && script_.version != QUARVEX_VERSION) {
    m.text =
        N_("replay differs from the recorded game at frame {frame} (recorded by quarvex "
           "{recorded}, played by {played})");
    m.args.emplace_back("recorded", script_.version);
    m.args.emplace_back("played", QUARVEX_VERSION);
  }
  return m;
}

void Game::keep_recordings_current(int32_t now_ms) {
  constexpr int64_t kFlushEveryMs = 1000;
  const int64_t since = int64_t{now_ms} - last_flush_ms_;
  // A clock that went back counts as due.
  if (since >= 0 && since < kFlushEveryMs) return;
  last_flush_ms_ = now_ms;
  flush_recordings();
}

void Game::flush_recordings() {
  std::string error;
  if (!record_.flush(error)) record_error_ = "--record: " + error;
  if (!stage_replay_.flush(error)) stop_keeping_replays(error);
}

int Game::finish(bool report_hash) {
  int status = 0;
  std::string error;
  end_recordings();
  if (record_error_.empty() && !record_.finish(replay_hash(*world_), error)) {
    record_error_ = "--record: " + error;
  }
  if (!record_error_.empty()) {
    std::fprintf(stderr, "quarvex: %s\n", record_error_.c_str());
    status = 1;
  }
  if (!notice_.text.empty()) {
    std::fprintf(stderr, "quarvex: %s\n", in_english(take_notice()).c_str());
  }
  if (dump_file_ != nullptr) {
    write_world_json(dump_file_, *world_, frames_run_);
    const bool failed = std::ferror(dump_file_) != 0;
    const bool closed = std::fclose(dump_file_) == 0;
    dump_file_ = nullptr;
    if (failed || !closed) {
      std::fprintf(stderr, "quarvex: --dump: writing '%s' failed\n", options_.dump_file.c_str());
      status = 1;
    }
  }
  if (replay_state_ == ReplayState::kDiffers) {
    std::fprintf(stderr, "quarvex: %s: %s\n", options_.replay_file.c_str(),
                 in_english(replay_differs_message()).c_str());
    status = 3;
  } else if (report_hash && replaying() && (options_.headless || options_.hash)) {
    // The hash a recording ends with, so the two can be compared.
    std::printf("hash: %s\n", hash_text(replay_hash(*world_)).c_str());
  } else if (report_hash && options_.hash) {
    std::printf("hash: %016" PRIx64 "\n", world_hash(*world_));
  }
  std::fflush(stdout);
  return status;
}

}  // namespace quarvex
