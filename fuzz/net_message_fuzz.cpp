// Network messages come from anyone who can reach the server (and, for a
// client, from whatever server it was pointed at). The first byte picks the
// direction; the rest is one WebSocket message. Every message read must
// hold what the lockstep logic relies on, and write back to the very bytes
// it was read from.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <type_traits>
#include <vector>

#include "net/codec.h"
#include "net/player_text.h"

namespace {

using namespace quarvex::net;

void holds_up(const ServerMessage& m) {
  if (const auto* frame = std::get_if<Frame>(&m)) {
    for (KeyMask keys : frame->input.keys) {
      if ((keys & ~quarvex::kAllKeys) != 0) std::abort();
    }
    const FrameInput& in = frame->input;
    if (((in.to_computer | in.to_human | in.pause | in.resume) & ~0x0F) != 0) std::abort();
  }
  if (const auto* line = std::get_if<ChatLine>(&m)) {
    if (line->from > kFromSpectator || !is_clean_text(line->text, kMaxChatChars)) std::abort();
  }
  if (const auto* welcome = std::get_if<Welcome>(&m)) {
    if (welcome->human_sides == 0 || welcome->human_sides > 0x0F) std::abort();
  }
}

void holds_up(const ClientMessage& m) {
  if (const auto* join = std::get_if<Join>(&m)) {
    if (join->side > kAnySide || !valid_code(join->code)) std::abort();
  }
  if (const auto* input = std::get_if<Input>(&m)) {
    if (input->frame == 0 || (input->keys & ~quarvex::kAllKeys) != 0) std::abort();
  }
  if (const auto* create = std::get_if<Create>(&m)) {
    if (create->human_sides == 0 || create->human_sides > 0x0F) std::abort();
  }
  // What the server passes on to others is cleaned first; it must then be
  // what the clients accept.
  if (const auto* chat = std::get_if<Chat>(&m)) {
    if (!is_clean_text(clean_text(chat->text, kMaxChatChars), kMaxChatChars)) std::abort();
  }
  if (const auto* join = std::get_if<Join>(&m)) {
    if (!is_clean_text(player_name(join->name, join->side), kMaxNameChars)) std::abort();
  }
}

template <class Message>
void check(std::span<const uint8_t> bytes) {
  MessageReader<Message> reader(bytes);
  Message m;
  size_t at = 0;
  while (reader.next(m)) {
    std::vector<uint8_t> again;
    append_message(again, m);
    // A GOODBYE is read whatever protocol version its header names.
    if constexpr (std::is_same_v<Message, ServerMessage>) {
      if (std::holds_alternative<Goodbye>(m) && at + 1 < bytes.size()) again[1] = bytes[at + 1];
    }
    if (at + again.size() > bytes.size()) std::abort();
    for (size_t i = 0; i < again.size(); ++i) {
      if (again[i] != bytes[at + i]) std::abort();
    }
    at += again.size();
    holds_up(m);
  }
  if (reader.status() == DecodeStatus::kOk && at != bytes.size()) std::abort();
  if (reader.status() != DecodeStatus::kOk && reader.what()[0] == '\0') std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::span<const uint8_t> bytes(data + 1, size - 1);
  if (data[0] & 1) {
    check<ServerMessage>(bytes);
  } else {
    check<ClientMessage>(bytes);
  }
  return 0;
}
