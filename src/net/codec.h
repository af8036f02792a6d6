#pragma once
// Encoding and bounds-checked decoding of the protocol's messages. Every
// received byte is untrusted: the readers check each length against what
// is left, each count against its table and each value against its range,
// and stop at the first message that does not hold up.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "net/protocol.h"

namespace quarvex::net {

// Appends one message, header included.
void append_message(std::vector<uint8_t>& out, const ClientMessage& message);
void append_message(std::vector<uint8_t>& out, const ServerMessage& message);
// A GOODBYE with another protocol version in its header: the answer a
// client of that version can read.
void append_goodbye(std::vector<uint8_t>& out, const Goodbye& goodbye, uint8_t version);

// What a CREATE or JOIN of another protocol version says of its sender:
// enough to tell it which quarvex the game wants.
struct OldHello {
  std::optional<JoinCode> code;  // a JOIN's
  std::string version;
};
std::optional<OldHello> read_old_hello(std::span<const uint8_t> bytes);

enum class DecodeStatus : uint8_t {
  kOk,
  kMalformed,       // cut short, a length that does not match, a value out of range
  kWrongVersion,    // a header with another protocol version
  kWrongDirection,  // a server message from a client or the other way round
};

// Reads the messages of one WebSocket message in order:
//   MessageReader<ClientMessage> reader(bytes);
//   ClientMessage m;
//   while (reader.next(m)) handle(m);
//   if (reader.status() != DecodeStatus::kOk) disconnect(reader.what());
template <class Message>
class MessageReader {
 public:
  explicit MessageReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  // True with the next message; false at the end or at a bad message.
  bool next(Message& out);
  DecodeStatus status() const { return status_; }
  // What was wrong, for the disconnect reason; "" when nothing was.
  const char* what() const { return what_; }
  // The protocol version the bad header named (kWrongVersion).
  uint8_t version_seen() const { return version_seen_; }

 private:
  bool fail(DecodeStatus status, const char* what);

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  DecodeStatus status_ = DecodeStatus::kOk;
  const char* what_ = "";
  uint8_t version_seen_ = 0;
};

extern template class MessageReader<ClientMessage>;
extern template class MessageReader<ServerMessage>;

// Six letters A..Z.
bool valid_code(std::span<const char> code);
// Printable ASCII, 1..32 characters: what a version string may hold.
bool valid_version_text(std::span<const uint8_t> text);

// How many bytes at the front of `bytes`, which are whole messages as
// append_message wrote them, make the longest run of whole messages within
// `limit` bytes; at least the first message, however long. A sender cuts
// what it queued into WebSocket messages of this size, so a burst after a
// stall never exceeds what a receiver takes in one.
size_t whole_messages_within(std::span<const uint8_t> bytes, size_t limit);

}  // namespace quarvex::net
