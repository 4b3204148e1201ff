#include "remote/RconPacket.h"

#include <cstring>

namespace vex::remote {

namespace {

constexpr std::size_t kSizeField = 4;
constexpr std::size_t kHeader = 12;  // size, id, type

std::int32_t ReadInt32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return static_cast<std::int32_t>(value);
}

void AppendInt32(std::string& out, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) {
    out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFFu));
  }
}

bool KnownClientType(std::int32_t type) {
  return type == kRconAuth || type == kRconExecCommand || type == kRconResponseValue;
}

}  // namespace

std::string_view RconReadErrorText(RconReadError error) {
  switch (error) {
    case RconReadError::None:
      break;
    case RconReadError::BadLength:
      return "packet size below 10 bytes";
    case RconReadError::BodyTooLong:
      return "packet larger than 4096 bytes";
    case RconReadError::Unterminated:
      return "packet not ended by a zero byte";
    case RconReadError::UnknownType:
      return "unknown packet type";
  }
  return "no error";
}

void RconReader::Feed(std::string_view bytes) {
  if (error_ != RconReadError::None) {
    return;
  }
  buffer_.erase(0, consumed_);
  consumed_ = 0;
  buffer_.append(bytes);
}

std::optional<RconPacket> RconReader::Next() {
  if (error_ != RconReadError::None || buffer_.size() - consumed_ < kSizeField) {
    return std::nullopt;
  }
  const std::int32_t size = ReadInt32(buffer_, consumed_);
  if (size < kRconMinPacketSize) {
    error_ = RconReadError::BadLength;
    return std::nullopt;
  }
  if (size > kRconMaxPacketSize) {
    error_ = RconReadError::BodyTooLong;
    return std::nullopt;
  }
  const std::size_t total = kSizeField + static_cast<std::size_t>(size);
  if (buffer_.size() - consumed_ < total) {
    return std::nullopt;
  }
  const std::size_t start = consumed_;
  consumed_ += total;
  if (buffer_[start + total - 1] != '\0') {
    error_ = RconReadError::Unterminated;
    return std::nullopt;
  }
  RconPacket packet;
  packet.Id = ReadInt32(buffer_, start + 4);
  packet.Type = ReadInt32(buffer_, start + 8);
  if (!KnownClientType(packet.Type)) {
    error_ = RconReadError::UnknownType;
    return std::nullopt;
  }
  // The body ends at its own zero byte; clients differ in what, if anything, follows it.
  const char* body = buffer_.data() + start + kHeader;
  const std::size_t room = total - kHeader - 1;
  packet.Body.assign(body, strnlen(body, room));
  return packet;
}

std::string EncodeRconPacket(std::int32_t id, std::int32_t type, std::string_view body) {
  body = body.substr(0, kRconAnswerBody);
  std::string out;
  out.reserve(kHeader + body.size() + 2);
  AppendInt32(out, static_cast<std::int32_t>(body.size()) + kRconMinPacketSize);
  AppendInt32(out, id);
  AppendInt32(out, type);
  out.append(body);
  out.append(2, '\0');
  return out;
}

std::vector<std::string> SplitRconAnswer(std::string_view text) {
  std::vector<std::string> bodies;
  while (text.size() > kRconAnswerBody) {
    bodies.emplace_back(text.substr(0, kRconAnswerBody));
    text.remove_prefix(kRconAnswerBody);
  }
  bodies.emplace_back(text);
  return bodies;
}

}  // namespace vex::remote
