// A headless client of a networked game, for tests and for people who
// script games: create a game (its code on standard output), or join one
// with a key script and play or watch it to its end or for N frames.

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <string>

#include "app/desync_report.h"
#include "app/drivers.h"
#include "app/lockstep_game.h"
#include "app/message_line.h"
#include "app/token_text.h"
#include "net/codec.h"
#include "net/lockstep_client.h"
#include "net/steady_clock.h"
#include "platform/ws_client.h"
#include "replay/key_script.h"
#include "replay/recording.h"
#include "replay/replay_folder.h"
#include "world/humans.h"

namespace quarvex {

namespace {

// A line with the frame and its hash every this many frames.
constexpr uint32_t kProgressEvery = 1000;
// No answer to a create in this long: the server is not there.
constexpr int32_t kAnswerMs = 15000;

using net::steady_ms;

class ScriptKeys : public net::KeySource {
 public:
  explicit ScriptKeys(const KeyScript* script) : script_(script) {}
  KeyMask keys_for(uint32_t frame) override {
    return script_ == nullptr ? 0 : script_->keys_at(frame);
  }

 private:
  const KeyScript* script_;
};

// The client's game, telling what happens on standard output: its side's
// messages (every side's when watching), the hand-overs, a line with the
// hash every 1,000 frames, and where a desync report went.
class NetGame : public LockstepGame {
 public:
  NetGame(const Options& options) : LockstepGame(options), code_(options.code) {}

  void pass_frame(const FrameInput& input) override {
    LockstepGame::pass_frame(input);
    print_events(static_cast<uint32_t>(game().frames_run()));
  }
  void frame_done(uint32_t frame) override {
    print_events(frame);
    if (frame % kProgressEvery == 0) {
      std::printf("frame %" PRIu32 " hash: %s\n", frame, hash_text(hash()).c_str());
      std::fflush(stdout);
    }
  }
  void report_desync(const net::Desync& desync, uint32_t last_frame,
                     std::span<const FrameInput> recent) override {
    LockstepGame::report_desync(desync, last_frame, recent);
    std::string path;
    std::string error;
    if (write_desync_report(code_, desync, game().world(), last_frame, recent, path, error)) {
      std::printf("desync at frame %" PRIu32 ": report %s\n", desync.frame, path.c_str());
    } else {
      std::printf("desync at frame %" PRIu32 ": no report: %s\n", desync.frame, error.c_str());
    }
    std::fflush(stdout);
  }

 private:
  void message(int message_side, const char* text) override {
    if (message_side >= 0 && side() >= 0 && message_side != side()) return;
    std::fputs(message_line(game().current_frame(), text, message_side).c_str(), stdout);
  }

  void print_events(uint32_t frame) {
    const FrameInput& input = last_input();
    const std::pair<const char*, uint8_t> events[] = {{"goes to the computer", input.to_computer},
                                                      {"is back with its player", input.to_human},
                                                      {"pauses the game", input.pause},
                                                      {"resumes the game", input.resume}};
    for (const auto& [what, sides] : events) {
      for (int s = 0; s < kSides; ++s) {
        if ((sides >> s) & 1u) std::printf("frame %" PRIu32 ": side %d %s\n", frame, s, what);
      }
    }
  }

  std::string code_;
};

// The last chat line printed, to find those that came after it among the
// latest the client keeps.
struct ChatPrinted {
  int64_t at_ms = -1;
  std::string name;
  std::string text;
};

// The chat lines heard since the last call, one "chat NAME: TEXT" line each.
void print_new_chat(const net::LockstepClient& client, ChatPrinted& printed) {
  const auto& chat = client.chat();
  size_t from = 0;
  for (size_t i = chat.size(); i > 0; --i) {
    const auto& heard = chat[i - 1];
    if (heard.at_ms == printed.at_ms && heard.line.name == printed.name &&
        heard.line.text == printed.text) {
      from = i;
      break;
    }
  }
  for (size_t i = from; i < chat.size(); ++i) {
    std::printf("chat %s: %s\n", chat[i].line.name.c_str(), chat[i].line.text.c_str());
  }
  if (from == chat.size()) return;
  std::fflush(stdout);
  printed = {chat.back().at_ms, chat.back().line.name, chat.back().line.text};
}

// Waits for the next event of the link, up to `until_ms`.
bool next_event(WsClient& link, net::LinkEvent& event, int64_t until_ms) {
  const int64_t wait = std::clamp<int64_t>(until_ms - steady_ms(), 0, 1000);
  return link.next_event(event, static_cast<int32_t>(wait));
}

// Closes the connection and waits (a second at most) until it is closed, so
// that what was sent last (a leave) goes out before the program ends.
void close_link(WsClient& link) {
  link.close();
  const int64_t give_up = steady_ms() + 1000;
  net::LinkEvent event;
  while (steady_ms() < give_up) {
    if (next_event(link, event, give_up) && event.kind == net::LinkEvent::Kind::kClosed) return;
  }
}

int create_game(const Options& options, WsClient& link) {
  net::Create create;
  create.stage = static_cast<uint8_t>(options.stage);
  create.seed = options.seed ? *options.seed : static_cast<uint32_t>(std::time(nullptr));
  create.human_sides = options.humans != 0 ? options.humans : kAllSides;
  create.last_frame = static_cast<uint32_t>(options.frames.value_or(0));
  create.version = QUARVEX_VERSION;
  const int64_t give_up = steady_ms() + kAnswerMs;
  net::LinkEvent event;
  while (steady_ms() < give_up) {
    if (!next_event(link, event, give_up)) continue;
    if (event.kind == net::LinkEvent::Kind::kClosed) {
      std::fprintf(stderr, "quarvex: --connect: %s\n", event.reason.c_str());
      return 1;
    }
    if (event.kind == net::LinkEvent::Kind::kOpened) {
      std::vector<uint8_t> bytes;
      net::append_message(bytes, net::ClientMessage{create});
      link.send(bytes);
      continue;
    }
    net::MessageReader<net::ServerMessage> reader(event.bytes);
    net::ServerMessage m;
    while (reader.next(m)) {
      if (const auto* created = std::get_if<net::Created>(&m)) {
        std::printf("code: %.6s\n", created->code.data());
        std::fflush(stdout);
        close_link(link);
        return 0;
      }
      if (const auto* goodbye = std::get_if<net::Goodbye>(&m)) {
        std::fprintf(stderr, "quarvex: the server refused the game: %s\n", goodbye->text.c_str());
        return 1;
      }
    }
  }
  std::fprintf(stderr, "quarvex: --connect: the server did not answer\n");
  return 1;
}

void print_figures(const net::LockstepClient& client, double seconds) {
  const net::ClientStats& s = client.stats();
  const double pace = s.frames_run > 1
                          ? static_cast<double>(s.last_run_ms - s.first_run_ms) / (s.frames_run - 1)
                          : 0.0;
  std::printf("network: %" PRIu32 " frames, a frame every %.2f ms, longest wait %" PRId64
              " ms, input delay %d frames (highest %d), %" PRIu64 " late inputs, %" PRIu64
              " desyncs, sent %.0f B/s, received %.0f B/s\n",
              s.frames_run, pace, s.longest_gap_ms, client.delay(), s.highest_delay, s.late_inputs,
              s.desyncs, static_cast<double>(s.bytes_sent) / seconds,
              static_cast<double>(s.bytes_received) / seconds);
}

}  // namespace

int run_network_client(const Options& options) {
  WsClient link;
  std::string error;
  if (!link.open(options.connect, error)) {
    std::fprintf(stderr, "quarvex: --connect: %s\n", error.c_str());
    return 2;
  }
  if (options.create_game) return create_game(options, link);

  KeyScript script;
  if (!options.input_file.empty() && !load_key_script(options.input_file, script, error)) {
    std::fprintf(stderr, "quarvex: %s\n", error.c_str());
    return 2;
  }
  if (script.humans != 0 || script.sides_named != 0) {
    std::fprintf(stderr,
                 "quarvex: %s: a networked game's key script holds the keys of the side played, "
                 "in lines without a side\n",
                 options.input_file.c_str());
    return 2;
  }
  net::Join join;
  std::copy_n(options.code.begin(), net::kCodeLength, join.code.begin());
  join.role = options.spectate ? net::Role::kSpectator : net::Role::kPlayer;
  join.side = options.spectate ? 0 : static_cast<uint8_t>(options.side);
  if (!options.token.empty()) join.token = token_from_text(options.token);
  join.version = QUARVEX_VERSION;
  ScriptKeys keys(options.input_file.empty() ? nullptr : &script);
  NetGame game(options);
  // Every player keeps the game, as the window keeps the stages played in it.
  if (!options.no_replay) {
    const std::string folder = default_replay_folder();
    if (folder.empty()) {
      std::fprintf(stderr, "quarvex: neither XDG_DATA_HOME nor HOME is set; no replay is kept\n");
    } else {
      game.keep_replays_in(folder);
    }
  }
  net::LockstepClient client(join, game, keys);

  const int64_t started = steady_ms();
  ChatPrinted chat_printed;
  bool welcomed = false;
  bool link_closed = false;
  net::LinkEvent event;
  for (;;) {
    using State = net::LockstepClient::State;
    if (client.state() == State::kFailed || client.state() == State::kEnded) break;
    if (options.frames && client.frames_run() >= *options.frames) break;
    if (next_event(link, event, client.next_tick_ms())) {
      const int64_t now = steady_ms();
      switch (event.kind) {
        case net::LinkEvent::Kind::kOpened:
          client.opened(now, link);
          break;
        case net::LinkEvent::Kind::kMessage:
          client.received(event.bytes, now, link);
          break;
        case net::LinkEvent::Kind::kClosed:
          link_closed = true;
          client.closed(event.reason);
          break;
      }
    }
    if (!welcomed && client.state() != State::kJoining && client.state() != State::kFailed) {
      welcomed = true;
      const net::Welcome& w = client.welcome();
      if (w.role == net::Role::kPlayer) {
        std::printf("joined game %s as side %d, token: %s\n", options.code.c_str(), w.side,
                    token_text(w.token).c_str());
      } else {
        std::printf("watching game %s\n", options.code.c_str());
      }
      std::fflush(stdout);
    }
    print_new_chat(client, chat_printed);
    client.tick(steady_ms(), link);
  }
  const bool ended = client.state() == net::LockstepClient::State::kEnded;
  const bool agreed = ended && client.end_hash() != 0 && client.end_hash() == game.hash();
  if (client.state() == net::LockstepClient::State::kFailed) {
    std::fprintf(stderr, "quarvex: %s\n", client.error().c_str());
    // What was played until then is kept: a recording of it still replays.
    if (welcomed) game.finish(false);
    return 1;
  }
  if (!link_closed) {
    client.leave(link);
    close_link(link);
  }
  print_figures(client, static_cast<double>(std::max<int64_t>(steady_ms() - started, 1)) / 1000);
  int status = game.finish(agreed);
  if (options.hash) std::printf("hash: %s\n", hash_text(game.hash()).c_str());
  if (ended && client.end_hash() != 0 && !agreed) {
    std::fprintf(stderr, "quarvex: the game ended with hash %s at the server, %s here\n",
                 hash_text(client.end_hash()).c_str(), hash_text(game.hash()).c_str());
    status = 3;
  }
  return status;
}

}  // namespace quarvex
