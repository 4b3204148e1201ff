#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace vex::gamenet {

// The game's client protocol: one message per UDP datagram. Every datagram starts with the
// same four bytes in every version: 'V', 'X', the version, the message type. Numbers are
// big-endian; a text is one length byte and that many bytes. A datagram is read whole or not
// at all: a short field, a byte too many or a length beyond the end make it malformed.
inline constexpr std::uint8_t kProtocolVersion = 1;
inline constexpr std::size_t kMaxDatagramBytes = 1200;
inline constexpr std::size_t kHeaderBytes = 4;
inline constexpr std::size_t kMaxTextBytes = 255;

enum class MessageType : std::uint8_t {
  Hello = 1,
  Challenge = 2,
  Join = 3,
  Accepted = 4,
  Refused = 5,
  Ping = 6,
  Pong = 7,
  Chat = 8,
  Leave = 9,
  Disconnect = 10,
  Level = 11,
  Query = 12,
  Info = 13,
};

enum class RefuseReason : std::uint8_t {
  WrongPassword = 1,
  ServerFull = 2,
  BadName = 3,
  WrongVersion = 4,
};

enum class DisconnectReason : std::uint8_t {
  Kicked = 1,
  TimedOut = 2,
  ServerClosing = 3,
};

// Client to server: asks for a challenge. Padded to the size of the answer, so that the answer
// to an address nobody has proven is never larger than what it sent.
struct Hello {
  std::uint32_t Token = 0;
};
// Server to client: the token echoed, and the cookie that proves the address from now on.
struct Challenge {
  std::uint32_t Token = 0;
  std::uint64_t Cookie = 0;
};
struct Join {
  std::uint64_t Cookie = 0;
  std::string Name;
  std::string Password;
};
// A join of another version: its cookie sits where it sits in every version, so the server
// can prove the address before it refuses the version.
struct ForeignJoin {
  std::uint8_t Version = 0;
  std::uint64_t Cookie = 0;
};
struct Accepted {
  std::int32_t ClientId = 0;
  std::uint32_t Key = 0;
};
struct Refused {
  RefuseReason Reason = RefuseReason::BadName;
};
// Server to client about once a second; the round trip is the server's latest measurement
// for this client (0 before the first).
struct Ping {
  std::uint32_t Sequence = 0;
  std::uint32_t RoundTripMicros = 0;
};
struct Pong {
  std::int32_t ClientId = 0;
  std::uint32_t Key = 0;
  std::uint32_t Sequence = 0;
};
struct Chat {
  std::int32_t ClientId = 0;
  std::uint32_t Key = 0;
  std::string Text;
};
struct Leave {
  std::int32_t ClientId = 0;
  std::uint32_t Key = 0;
};
struct Disconnect {
  DisconnectReason Reason = DisconnectReason::Kicked;
};
struct Level {
  std::int32_t Index = 0;
  std::string Name;
};
struct Query {
  std::uint64_t Cookie = 0;
};
struct Info {
  std::string Text;
};

using Message = std::variant<Hello, Challenge, Join, ForeignJoin, Accepted, Refused, Ping, Pong,
                             Chat, Leave, Disconnect, Level, Query, Info>;

enum class DecodeError {
  Malformed,    // no header, a short or over-long body, a bad length or code
  UnknownType,  // a type this version does not know
  WrongVersion  // another version, and not a join
};

using Decoded = std::variant<Message, DecodeError>;

// Texts longer than 255 bytes are cut. ForeignJoin is written with its own version, every
// other message with `version`.
std::vector<std::uint8_t> Encode(const Message& message, std::uint8_t version = kProtocolVersion);
Decoded Decode(std::span<const std::uint8_t> datagram);

const char* RefuseReasonText(RefuseReason reason);
const char* DisconnectReasonText(DisconnectReason reason);

}  // namespace vex::gamenet
