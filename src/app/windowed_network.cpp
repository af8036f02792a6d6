#include "app/windowed_network.h"

#include "app/network_game.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <utility>

#include "app/game.h"
#include "app/lockstep_game.h"
#include "app/message_line.h"
#include "app/network_lines.h"
#include "app/network_lobby.h"
#include "app/network_play.h"
#include "app/side_view.h"
#include "app/sound_controls.h"
#include "app/token_text.h"
#include "app/windowed_host.h"
#include "net/codec.h"
#include "net/steady_clock.h"
#include "render/network_line.h"
#include "render/render_frame.h"
#include "render/shell_panels.h"
#include "replay/recording.h"
#include "world/humans.h"

namespace quarvex {

namespace {

// No answer in this long to a connection, a create, a join or a join's
// snapshot: the server is not there, or not well.
constexpr int64_t kAnswerMs = 15000;
// Nothing at all from the server in this long, pongs included (it answers
// a ping every half second): it is gone. The server drops a silent client
// after as long.
constexpr int64_t kSilentMs = 15000;
// No frame in this long while the game runs: the line says we wait.
constexpr int64_t kFrameWaitMs = 1000;
// The longest a picture stays before the next is drawn.
constexpr int32_t kDisplayMs = 15;
// The leave's last chance to go out before the connection closes.
constexpr int64_t kCloseMs = 1000;
constexpr int kEventBatch = 64;
// The most frames one unseen pass runs: four seconds of the game.
constexpr uint32_t kUnseenFramesAtOnce = 133;

using net::steady_ms;

// The player's keys, sampled when the client sends a frame's input. While
// a menu or a box is open the keys steer it, not the side.
class WindowKeys : public net::KeySource {
 public:
  WindowKeys(const Input& input, Shell& shell, const NetworkPlay& play)
      : input_(input), shell_(shell), play_(play) {}
  KeyMask keys_for(uint32_t) override {
    if (!shell_.game_runs() || play_.typing()) return 0;
    std::array<bool, kKeyCount> down{};
    live_game_keys(input_, shell_, down);
    return mask_from_keys(down);
  }

 private:
  const Input& input_;
  Shell& shell_;
  const NetworkPlay& play_;
};

// The client's game in the window: its side's message boxes in the shell,
// the stage's ground on the device.
class WindowedLockstepGame : public LockstepGame {
 public:
  WindowedLockstepGame(const NetworkGameParams& params, GlDevice& device, Shell& shell,
                       GameAudio* audio, NetworkPlay& play)
      : LockstepGame(params.outputs),
        device_(device),
        shell_(shell),
        audio_(audio),
        load_ground_(params.load_ground),
        play_(play),
        data_(resolve_data_folders(params.outputs.data_dir)) {}

  void frame_done(uint32_t frame) override {
    ++frames_not_heard_;
    play_.frame_done(game().world(), frame);
  }
  // A game joined under way began with the server's snapshot, after the
  // stage load that brings its ground: the ground comes from the stage's
  // number then.
  void load_missing_ground() {
    const int stage = game().world().stage_number;
    if (ground_loaded_ || stage < 1 || stage > 3) return;
    const std::string name = "map" + std::to_string(stage) + ".bmp";
    load_ground_image(game().data().find(name).c_str());
  }
  // The lobby shows the chosen stage's ground before any stage is loaded.
  void show_lobby_ground(int stage) {
    const bool loaded = ground_loaded_;
    load_ground_image(data_.find("map" + std::to_string(stage) + ".bmp").c_str());
    ground_loaded_ = loaded;
  }
  // Frames run since the sound last heard the World.
  int take_frames_run() { return std::exchange(frames_not_heard_, 0); }

 protected:
  void show_side_message(int message_side, const char* text,
                         std::span<const MessageArg> args) override {
    // Another player's boxes are shown on that player's machine.
    if (message_side >= 0 && message_side != side()) return;
    if (audio_ != nullptr) audio_->hear_message(text);
    shell_.show_message(message_of(text, args));
  }
  void load_ground_image(const char* path) override {
    ground_loaded_ = true;
    if (load_ground_) {
      load_ground_(path);
      return;
    }
    std::string error;
    // A ground image that cannot be read leaves the ground untextured.
    if (!device_.load_texture(kGroundSlot, path, error)) {
      std::fprintf(stderr, "quarvex: the stage's ground is not shown: %s\n", error.c_str());
    }
  }

 private:
  GlDevice& device_;
  Shell& shell_;
  GameAudio* audio_;
  std::function<void(const char*)> load_ground_;
  NetworkPlay& play_;
  DataFolders data_;
  int frames_not_heard_ = 0;
  bool ground_loaded_ = false;
};

}  // namespace

class NetworkWindow {
 public:
  NetworkWindow(const NetworkGameParams& params, WindowedSession& session,
                net::ClientTransport& link)
      : params_(params),
        session_(session),
        link_(link),
        shell_(*session.shell),
        play_(shell_, params.play_again_offered),
        keys_(session.input, shell_, play_),
        game_(params, *session.device, shell_, session.audio.get(), play_),
        view_(std::make_unique<World>()),
        lobby_(params.invite),
        code_(params.create ? std::string()
                            : std::string(params.join.code.begin(), params.join.code.end())) {
    init_world(*view_);
    parse_key_chord("Escape", escape_);
    game_.keep_replays_in(params.replay_folder);
    for (const auto& [frame, file] : params.outputs.screenshots) screenshots_[frame] = file;
  }

  void begin();
  bool step();
  bool step_unseen();
  int64_t next_wake_ms() const;
  int64_t frames_run() const { return client_ != nullptr ? client_->frames_run() : 0; }
  void take(net::LinkEvent& event);
  bool start_closing();
  NetworkResult finish();

 private:
  enum class Phase : uint8_t { kConnecting, kCreating, kClient, kFailed };

  void take_input();
  void take_shell_requests(const ShellRequests& requests);
  void take_event(net::LinkEvent& event);
  void take_created(const std::vector<uint8_t>& bytes);
  void start_client(const net::Join& join);
  void watch_client();
  bool begun() const;
  bool in_play() const;
  bool stage_shown() const;
  void take_play_choice();
  NetworkWait wait() const;
  void draw();
  void request_screenshot(const std::string& file);
  void fail(Message line);

  const NetworkGameParams& params_;
  WindowedSession& session_;
  net::ClientTransport& link_;
  Shell& shell_;
  NetworkPlay play_;  // names, lines, pause, chat, views and the end over the stage
  WindowKeys keys_;
  WindowedLockstepGame game_;
  std::unique_ptr<net::LockstepClient> client_;
  std::unique_ptr<World> view_;  // the World as this side sees it, for the picture
  NetworkLobby lobby_;
  int lobby_ground_ = 0;  // the stage whose ground the lobby shows
  std::map<int64_t, std::string> screenshots_;
  std::string code_;
  KeyChord escape_;  // leaves a wait whatever the menu's key is bound to
  Phase phase_ = Phase::kConnecting;
  NetworkEnd end_ = NetworkEnd::kLeft;
  Message failure_;
  bool opened_ = false;
  bool link_closed_ = false;
  bool leaving_ = false;
  bool sound_started_ = false;
  bool screenshot_requested_ = false;
  int64_t phase_began_ms_ = 0;  // when the answer now awaited was asked for
  int64_t last_heard_ms_ = 0;
  int64_t last_frame_ms_ = 0;
  uint32_t frames_seen_ = 0;
  net::LockstepClient::State client_state_ = net::LockstepClient::State::kJoining;
  int64_t now_ = 0;
};

// The server welcomed us: the game has its World (every welcome names at
// least one side people play).
bool NetworkWindow::begun() const {
  return client_ != nullptr && client_->welcome().human_sides != 0;
}

// The stage is on the screen: the shell takes the player's events.
bool NetworkWindow::in_play() const {
  return begun() && phase_ == Phase::kClient && game_.game().world().game_phase != 0 &&
         client_->state() == net::LockstepClient::State::kPlaying;
}

// The stage is on the screen, also after the game's last frame.
bool NetworkWindow::stage_shown() const {
  return begun() && phase_ == Phase::kClient && game_.game().world().game_phase != 0;
}

void NetworkWindow::take_play_choice() {
  if (client_ != nullptr && client_->state() == net::LockstepClient::State::kEnded)
    play_.server_ended();
  switch (play_.choice()) {
    case NetworkPlay::Choice::kNone:
      return;
    case NetworkPlay::Choice::kPlayAgain:
      end_ = NetworkEnd::kPlayAgain;
      break;
    case NetworkPlay::Choice::kLeave:
      break;
  }
  leaving_ = true;
}

NetworkWait NetworkWindow::wait() const {
  using State = net::LockstepClient::State;
  switch (phase_) {
    case Phase::kConnecting:
      return NetworkWait::kConnecting;
    case Phase::kCreating:
      return NetworkWait::kCreating;
    case Phase::kFailed:
      return NetworkWait::kNone;
    case Phase::kClient:
      break;
  }
  switch (client_->state()) {
    case State::kJoining:
      return NetworkWait::kJoining;
    case State::kSnapshot:
      return NetworkWait::kSnapshot;
    case State::kLobby:
      return NetworkWait::kPlayers;
    case State::kEnded:
      // The end screen says it better.
      return play_.ended() ? NetworkWait::kNone : NetworkWait::kOver;
    case State::kFailed:
      return NetworkWait::kNone;
    case State::kPlaying:
      break;
  }
  // The server sends the first frame once every player has joined.
  if (client_->frames_received() == client_->welcome().frame) return NetworkWait::kPlayers;
  // A paused game has its own line: no frame is awaited.
  if (client_->pause().paused) return NetworkWait::kNone;
  return now_ - last_frame_ms_ >= kFrameWaitMs ? NetworkWait::kServer : NetworkWait::kNone;
}

void NetworkWindow::fail(Message line) {
  if (phase_ == Phase::kFailed) return;
  std::fprintf(stderr, "quarvex: %s\n", in_english(line).c_str());
  failure_ = std::move(line);
  phase_ = Phase::kFailed;
  end_ = NetworkEnd::kFailed;
}

void NetworkWindow::start_client(const net::Join& join) {
  client_ = std::make_unique<net::LockstepClient>(join, game_, keys_);
  code_.assign(join.code.begin(), join.code.end());
  phase_ = Phase::kClient;
  phase_began_ms_ = now_;
  client_->opened(now_, link_);
}

void NetworkWindow::take_created(const std::vector<uint8_t>& bytes) {
  net::MessageReader<net::ServerMessage> reader(bytes);
  net::ServerMessage m;
  while (reader.next(m)) {
    if (const auto* created = std::get_if<net::Created>(&m)) {
      net::Join join = params_.join;
      join.code = created->code;
      // The code (and the address a host gives friends) go to standard
      // output too, for whoever scripts the game.
      if (!params_.invite.empty()) std::printf("address: %s\n", params_.invite.c_str());
      std::printf("code: %.6s\n", created->code.data());
      std::fflush(stdout);
      start_client(join);
      return;
    }
    if (const auto* goodbye = std::get_if<net::Goodbye>(&m)) {
      fail(failure_line(goodbye->reason, goodbye->text, true, code_, params_.url));
      return;
    }
  }
  if (reader.status() != net::DecodeStatus::kOk) {
    fail(failure_line(std::nullopt, std::string("the server sent ") + reader.what(), true, code_,
                      params_.url));
  }
}

void NetworkWindow::take_event(net::LinkEvent& event) {
  if (phase_ == Phase::kFailed) return;
  switch (event.kind) {
    case net::LinkEvent::Kind::kOpened:
      opened_ = true;
      last_heard_ms_ = now_;
      if (params_.create) {
        std::vector<uint8_t> bytes;
        net::append_message(bytes, net::ClientMessage{*params_.create});
        link_.send(bytes);
        phase_ = Phase::kCreating;
        phase_began_ms_ = now_;
      } else {
        start_client(params_.join);
      }
      return;
    case net::LinkEvent::Kind::kMessage:
      last_heard_ms_ = now_;
      if (phase_ == Phase::kCreating) {
        take_created(event.bytes);
      } else if (client_ != nullptr) {
        client_->received(event.bytes, now_, link_);
      }
      return;
    case net::LinkEvent::Kind::kClosed:
      link_closed_ = true;
      if (client_ != nullptr) {
        client_->closed(event.reason);
      } else {
        fail(failure_line(std::nullopt, event.reason, opened_, code_, params_.url));
      }
      return;
  }
}

// The client's state after what came and the time passed: its failure,
// its frames, the waits that went on too long, the frame limit.
void NetworkWindow::watch_client() {
  using State = net::LockstepClient::State;
  if (phase_ == Phase::kClient && client_->state() != client_state_) {
    client_state_ = client_->state();
    phase_began_ms_ = now_;
  }
  const bool answer_awaited = phase_ != Phase::kClient || client_state_ == State::kJoining ||
                              client_state_ == State::kSnapshot;
  if (answer_awaited && now_ - phase_began_ms_ > kAnswerMs) {
    fail(failure_line(std::nullopt, "the server did not answer", opened_, code_, params_.url));
    return;
  }
  if (phase_ != Phase::kClient) return;
  if (client_state_ == State::kFailed) {
    // A run that stops at a frame count ends as it would have when the
    // frames it counts had all arrived before the server went.
    if (params_.frames && client_->frames_run() < *params_.frames) {
      client_->run_frames_left(static_cast<uint32_t>(*params_.frames - client_->frames_run()));
    }
    if (params_.frames && client_->frames_run() >= *params_.frames) {
      leaving_ = true;
      return;
    }
    fail(failure_line(client_->goodbye_reason(), client_->error(), opened_, code_, params_.url));
    return;
  }
  if (client_state_ != State::kEnded && now_ - last_heard_ms_ > kSilentMs) {
    fail(failure_line(std::nullopt, "the server stopped answering", true, code_, params_.url));
    return;
  }
  if (NetworkLobby::shown(client_.get())) {
    lobby_.watch(*client_, code_);
    if (lobby_.stage() != lobby_ground_) {
      lobby_ground_ = lobby_.stage();
      game_.show_lobby_ground(lobby_ground_);
    }
  }
  if (client_->frames_received() != frames_seen_) {
    frames_seen_ = client_->frames_received();
    last_frame_ms_ = now_;
  }
  if (params_.frames && client_->frames_run() >= *params_.frames) leaving_ = true;
}

void NetworkWindow::take_shell_requests(const ShellRequests& requests) {
  if (requests.quit) {
    end_ = NetworkEnd::kQuit;
    leaving_ = true;
  }
  if (requests.toggle_fullscreen) session_.window->toggle_fullscreen();
  if (requests.screenshot) request_screenshot(screenshot_file_name(std::time(nullptr)));
  // Back to the title menu leaves the game as well.
  if (requests.leave_game || requests.back_to_title) leaving_ = true;
  apply_shell_sound(requests, shell_, session_.audio.get());
}

void NetworkWindow::take_input() {
  InputEvent events[kEventBatch];
  for (int n = session_.input.poll(events, kEventBatch); n > 0;
       n = session_.input.poll(events, kEventBatch)) {
    for (int i = 0; i < n; ++i) {
      const InputEvent& e = events[i];
      // The lobby takes the menu keys; the window, the screenshot key and
      // the rest, as in any wait.
      if (NetworkLobby::shown(client_.get()) && shell_.menu_key_of(e) != MenuKey::kNone) {
        if (lobby_.take(e, shell_, *client_, link_)) leaving_ = true;
        continue;
      }
      if (stage_shown() && play_.take(e, *client_, link_)) continue;
      if (in_play()) {
        ShellRequests requests;
        shell_.handle(e, *view_, requests);
        take_shell_requests(requests);
        continue;
      }
      // A wait, a failure or the game's end: Esc (or the menu's key or
      // button) leaves, and so does closing the window.
      if (e.kind == InputKind::kQuit) {
        end_ = NetworkEnd::kQuit;
        leaving_ = true;
      }
      if (e.repeat) continue;
      if (e.kind == InputKind::kKeyDown &&
          action_of_key(shell_.bindings(), e.key) == kActionScreenshot) {
        request_screenshot(screenshot_file_name(std::time(nullptr)));
      }
      const bool menu = (e.kind == InputKind::kKeyDown &&
                         (action_of_key(shell_.bindings(), e.key) == kActionMenu ||
                          e.key.scancode == escape_.scancode)) ||
                        (e.kind == InputKind::kPadDown &&
                         action_of_pad(shell_.bindings(), e.pad_input) == kActionMenu);
      if (menu) leaving_ = true;
    }
  }
}

void NetworkWindow::draw() {
  // Back in the lobby after a round, the last round's field is not drawn.
  const bool playing =
      begun() && game_.game().world().game_phase != 0 && !NetworkLobby::shown(client_.get());
  GlDevice& device = *session_.device;
  const Texts& texts = shell_.texts();
  const int64_t frames_run = playing ? client_->frames_run() : 0;
  // A screenshot asked for by frame is taken with the first picture that
  // shows that frame or a later one (frames that catch up are not drawn).
  if (!screenshots_.empty() && screenshots_.begin()->first <= frames_run) {
    request_screenshot(screenshots_.begin()->second);
    screenshots_.erase(screenshots_.begin());
  }
  if (playing) {
    game_.load_missing_ground();
    see_as_side(game_.game().world(), play_.view_side(game_.side()), *view_);
    draw_frame(device, *view_, texts);
    draw_shell_overlay(device, *view_, shell_);
    if (stage_shown()) play_.draw(device, texts, *view_, *client_, game_.side(), now_, 0);
  } else {
    device.begin_frame(kClearColour, 1.0f);
    device.set_text_face(texts.face());
  }
  if (phase_ == Phase::kFailed) {
    draw_network_failure(device, texts, failure_);
  } else if (NetworkLobby::shown(client_.get())) {
    lobby_.draw(device, texts);
  } else {
    draw_network_line(device, texts, wait_line(wait(), code_, params_.url));
  }
  device.present();
  shell_.picture_shown();
  // A screenshot is taken with the picture presented: say why it was not.
  if (std::exchange(screenshot_requested_, false) && !device.screenshot_error().empty()) {
    std::fprintf(stderr, "quarvex: %s\n", device.screenshot_error().c_str());
  }
  GameAudio* audio = session_.audio.get();
  if (audio == nullptr) return;
  const int heard = game_.take_frames_run();
  audio->set_paused(!playing);
  if (!playing || heard == 0) return;
  if (!sound_started_) {
    audio->restart(*view_);
    sound_started_ = true;
  }
  audio->hear(*view_, now_);
}

void NetworkWindow::request_screenshot(const std::string& file) {
  session_.device->request_screenshot(file);
  screenshot_requested_ = true;
}

// Sends what is queued (a leave) and closes. A connection still being made
// is only dropped.
bool NetworkWindow::start_closing() {
  if (phase_ == Phase::kFailed || link_closed_ || !opened_) return false;
  if (client_ != nullptr) client_->leave(link_);
  link_.close();
  return true;
}

NetworkResult NetworkWindow::finish() {
  using State = net::LockstepClient::State;
  shell_.set_networked(false);
  const bool failed = phase_ == Phase::kFailed;
  const bool began = client_ != nullptr && client_->welcome().human_sides != 0;
  NetworkResult result{end_, failed ? 1 : 0};
  if (!began) return result;
  const bool ended = client_->state() == State::kEnded;
  if (ended && end_ == NetworkEnd::kLeft) result.end = NetworkEnd::kFinished;
  const bool agreed = ended && client_->end_hash() != 0 && client_->end_hash() == game_.hash();
  const int status = game_.finish(agreed);
  if (result.status == 0) result.status = status;
  if (params_.print_hash) std::printf("hash: %s\n", hash_text(game_.hash()).c_str());
  if (ended && client_->end_hash() != 0 && !agreed) {
    std::fprintf(stderr, "quarvex: the game ended with hash %s at the server, %s here\n",
                 hash_text(client_->end_hash()).c_str(), hash_text(game_.hash()).c_str());
    result.status = 3;
  }
  return result;
}

void NetworkWindow::begin() {
  now_ = steady_ms();
  phase_began_ms_ = now_;
  std::string error;
  if (!link_.open(params_.url, error)) {
    fail(failure_line(std::nullopt, error, false, code_, params_.url));
  }
  shell_.set_networked(true);
  shell_.set_play_mode(params_.join.role == net::Role::kSpectator ? PlayMode::kWatch
                                                                  : PlayMode::kPlay);
}

bool NetworkWindow::step() {
  if (leaving_) return false;
  now_ = steady_ms();
  take_input();
  net::LinkEvent event;
  while (link_.next_event(event, 0)) take_event(event);
  now_ = steady_ms();
  if (client_ != nullptr && phase_ == Phase::kClient) client_->tick(now_, link_);
  if (phase_ != Phase::kFailed) watch_client();
  take_play_choice();
  if (leaving_) return false;
  draw();
  return true;
}

// A pass while the picture cannot be seen (a hidden tab, which the browser
// wakes once a second or less): what came, and every frame due at once, a
// bounded number, so the side keeps up and stays its player's.
bool NetworkWindow::step_unseen() {
  if (leaving_) return false;
  now_ = steady_ms();
  net::LinkEvent event;
  while (link_.next_event(event, 0)) take_event(event);
  if (client_ != nullptr && phase_ == Phase::kClient) {
    client_->tick(now_, link_);
    client_->run_backlog(now_, link_, kUnseenFramesAtOnce);
  }
  if (phase_ != Phase::kFailed) watch_client();
  return !leaving_;
}

// The next frame due, or the next picture, whichever comes first.
int64_t NetworkWindow::next_wake_ms() const {
  int64_t next = steady_ms() + kDisplayMs;
  if (client_ != nullptr && phase_ == Phase::kClient)
    next = std::min(next, client_->next_tick_ms());
  return next;
}

void NetworkWindow::take(net::LinkEvent& event) {
  now_ = steady_ms();
  take_event(event);
}

NetworkGameParams network_params(const Options& options, std::string replay_folder) {
  NetworkGameParams p;
  p.url = options.connect;
  uint8_t human_sides = kAllSides;
  if (options.create_game) {
    net::Create create;
    create.stage = static_cast<uint8_t>(options.stage);
    create.seed = options.seed ? *options.seed : static_cast<uint32_t>(std::time(nullptr));
    create.human_sides = options.humans != 0 ? options.humans : kAllSides;
    create.last_frame = static_cast<uint32_t>(options.frames.value_or(0));
    create.version = QUARVEX_VERSION;
    human_sides = create.human_sides;
    p.create = create;
  }
  std::copy_n(options.code.begin(), std::min(options.code.size(), net::kCodeLength),
              p.join.code.begin());
  p.join.role = options.spectate ? net::Role::kSpectator : net::Role::kPlayer;
  int side = options.side;
  // The creator plays the side asked for when people play it, else the
  // first side people play.
  if ((human_sides & side_bit(side)) == 0) side = std::countr_zero(unsigned{human_sides});
  p.join.side = options.spectate ? 0 : static_cast<uint8_t>(side);
  p.join.version = QUARVEX_VERSION;
  p.join.token = token_from_text(options.token);
  p.join.name = options.player_name;
  p.frames = options.frames;
  p.print_hash = options.hash;
  p.outputs = options;
  p.replay_folder = std::move(replay_folder);
  return p;
}

NetworkGame::NetworkGame(const NetworkGameParams& params, WindowedSession& session,
                         net::ClientTransport& link)
    : window_(std::make_unique<NetworkWindow>(params, session, link)) {}
NetworkGame::~NetworkGame() = default;
void NetworkGame::begin() {
  window_->begin();
}
bool NetworkGame::step() {
  return window_->step();
}
bool NetworkGame::step_unseen() {
  return window_->step_unseen();
}
int64_t NetworkGame::frames_run() const {
  return window_->frames_run();
}
int64_t NetworkGame::next_wake_ms() const {
  return window_->next_wake_ms();
}
void NetworkGame::take(net::LinkEvent& event) {
  window_->take(event);
}
bool NetworkGame::start_closing() {
  return window_->start_closing();
}
NetworkResult NetworkGame::finish() {
  return window_->finish();
}

NetworkResult play_network_game(const NetworkGameParams& params, WindowedSession& session,
                                net::ClientTransport& link) {
  NetworkGame game(params, session, link);
  game.begin();
  net::LinkEvent event;
  while (game.step()) {
    // A message that arrives before the next pass is due wakes the loop.
    const int64_t wait_ms = std::clamp<int64_t>(game.next_wake_ms() - steady_ms(), 0, kDisplayMs);
    if (link.next_event(event, static_cast<int32_t>(wait_ms))) game.take(event);
  }
  // The leave's last chance to go out before the connection closes.
  if (game.start_closing()) {
    const int64_t give_up = steady_ms() + kCloseMs;
    for (int64_t now = steady_ms(); now < give_up; now = steady_ms()) {
      if (link.next_event(event, static_cast<int32_t>(give_up - now)) &&
          event.kind == net::LinkEvent::Kind::kClosed) {
        break;
      }
    }
  }
  return game.finish();
}

}  // namespace quarvex
