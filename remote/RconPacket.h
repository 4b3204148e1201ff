#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vex::remote {

// Packet types of the Source remote console. The server's auth response shares its number with
// the client's command: which one a packet is follows from its direction.
inline constexpr std::int32_t kRconResponseValue = 0;
inline constexpr std::int32_t kRconExecCommand = 2;
inline constexpr std::int32_t kRconAuthResponse = 2;
inline constexpr std::int32_t kRconAuth = 3;
// The id of an auth response that refuses the password.
inline constexpr std::int32_t kRconAuthFailedId = -1;

// The size field counts the id, the type, the body and its two closing zero bytes.
inline constexpr std::int32_t kRconMinPacketSize = 10;
inline constexpr std::int32_t kRconMaxPacketSize = 4096;
inline constexpr std::size_t kRconMaxBody = kRconMaxPacketSize - kRconMinPacketSize;
// The body of a full packet of an answer: clients that join the packets of a long answer look
// for this size to know that more follows.
inline constexpr std::size_t kRconAnswerBody = 4096;

struct RconPacket {
  std::int32_t Id = 0;
  std::int32_t Type = 0;
  std::string Body;
};

enum class RconReadError {
  None,
  BadLength,     // a size field below the smallest packet
  BodyTooLong,   // a size field above the largest packet
  Unterminated,  // the packet's last byte is not the zero that closes it
  UnknownType,   // neither auth, command nor the empty response value of the end marker
};

// Why the stream was closed, for the operator's console.
std::string_view RconReadErrorText(RconReadError error);

// Splits the client's byte stream into packets. It holds at most one unfinished packet plus what
// one Feed brought, and stops for good at the first error: the connection is closed then, as
// nothing after a broken frame can be trusted to start where a packet starts.
class RconReader {
 public:
  void Feed(std::string_view bytes);
  // The next complete packet, if one is buffered and no error has been found.
  std::optional<RconPacket> Next();
  RconReadError Error() const { return error_; }

 private:
  std::string buffer_;
  std::size_t consumed_ = 0;
  RconReadError error_ = RconReadError::None;
};

// One packet as the server writes it; a body longer than kRconAnswerBody is cut there.
std::string EncodeRconPacket(std::int32_t id, std::int32_t type, std::string_view body);

// An answer's bodies: every one but the last full, kRconAnswerBody bytes, since some clients read
// that more follows from a full packet only. A character of
// several bytes may straddle two bodies; the bytes joined are the answer. An empty answer is one
// empty body, since every command gets a response.
std::vector<std::string> SplitRconAnswer(std::string_view text);

}  // namespace vex::remote
