#include "simengine/protocol/NetProtocol.h"

#include <algorithm>
#include <string_view>
#include <type_traits>

namespace vex::net {

namespace {

constexpr std::uint8_t kMagic0 = 'V';
constexpr std::uint8_t kMagic1 = 'X';
constexpr std::size_t kHelloPadding = 8;

class Writer {
 public:
  Writer(std::uint8_t version, MessageType type) {
    bytes_ = {kMagic0, kMagic1, version, static_cast<std::uint8_t>(type)};
  }
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U32(std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  }
  void U64(std::uint64_t value) {
    U32(static_cast<std::uint32_t>(value >> 32));
    U32(static_cast<std::uint32_t>(value));
  }
  void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
  void Text(std::string_view text) {
    text = text.substr(0, kMaxTextBytes);
    U8(static_cast<std::uint8_t>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
  }
  void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Remembers its first failure: every later read yields zero, and Complete() says whether the
// body was read whole and exactly.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> body) : body_(body) {}

  std::uint8_t U8() {
    if (!Have(1)) {
      return 0;
    }
    return body_[position_++];
  }
  std::uint32_t U32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      value = (value << 8) | U8();
    }
    return value;
  }
  std::uint64_t U64() {
    const std::uint64_t high = U32();
    return (high << 32) | U32();
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::string Text() {
    const std::size_t length = U8();
    if (!Have(length)) {
      return {};
    }
    std::string text(reinterpret_cast<const char*>(body_.data() + position_), length);
    position_ += length;
    return text;
  }
  void Zeros(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      if (U8() != 0) {
        failed_ = true;
      }
    }
  }
  void Fail() { failed_ = true; }
  bool Complete() const { return !failed_ && position_ == body_.size(); }

 private:
  bool Have(std::size_t count) {
    if (failed_ || body_.size() - position_ < count) {
      failed_ = true;
      return false;
    }
    return true;
  }

  std::span<const std::uint8_t> body_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

template <class Enum>
Enum ReadCode(Reader& reader, Enum first, Enum last) {
  const std::uint8_t code = reader.U8();
  if (code < static_cast<std::uint8_t>(first) || code > static_cast<std::uint8_t>(last)) {
    reader.Fail();
    return first;
  }
  return static_cast<Enum>(code);
}

std::uint8_t Code(auto value) {
  return static_cast<std::uint8_t>(value);
}

Message ReadBody(MessageType type, Reader& r) {
  switch (type) {
    case MessageType::kHello: {
      Hello m{r.U32()};
      r.Zeros(kHelloPadding);
      return m;
    }
    case MessageType::kChallenge:
      return Challenge{r.U32(), r.U64()};
    case MessageType::kJoin: {
      Join m;
      m.Cookie = r.U64();
      m.Name = r.Text();
      m.Password = r.Text();
      return m;
    }
    case MessageType::kAccepted:
      return Accepted{r.I32(), r.U32()};
    case MessageType::kRefused:
      return Refused{ReadCode(r, RefuseReason::kWrongPassword, RefuseReason::kWrongVersion)};
    case MessageType::kPing:
      return Ping{r.U32(), r.U32()};
    case MessageType::kPong:
      return Pong{r.I32(), r.U32(), r.U32()};
    case MessageType::kChat: {
      Chat m;
      m.ClientId = r.I32();
      m.Key = r.U32();
      m.Text = r.Text();
      return m;
    }
    case MessageType::kLeave:
      return Leave{r.I32(), r.U32()};
    case MessageType::kDisconnect:
      return Disconnect{ReadCode(r, DisconnectReason::kKicked, DisconnectReason::kServerClosing)};
    case MessageType::kLevel: {
      Level m;
      m.Index = r.I32();
      m.Name = r.Text();
      return m;
    }
    case MessageType::kQuery:
      return Query{r.U64()};
    case MessageType::kInfo: {
      Info m;
      m.Text = r.Text();
      return m;
    }
  }
  r.Fail();
  return Hello{};
}

}  // namespace

std::vector<std::uint8_t> Encode(const Message& message, std::uint8_t version) {
  return std::visit(
      [version](const auto& m) {
        using T = std::decay_t<decltype(m)>;
        if constexpr (std::is_same_v<T, Hello>) {
          Writer w(version, MessageType::kHello);
          w.U32(m.Token);
          w.Zeros(kHelloPadding);
          return w.Take();
        } else if constexpr (std::is_same_v<T, Challenge>) {
          Writer w(version, MessageType::kChallenge);
          w.U32(m.Token);
          w.U64(m.Cookie);
          return w.Take();
        } else if constexpr (std::is_same_v<T, Join>) {
          Writer w(version, MessageType::kJoin);
          w.U64(m.Cookie);
          w.Text(m.Name);
          w.Text(m.Password);
          return w.Take();
        } else if constexpr (std::is_same_v<T, ForeignJoin>) {
          Writer w(m.Version, MessageType::kJoin);
          w.U64(m.Cookie);
          return w.Take();
        } else if constexpr (std::is_same_v<T, Accepted>) {
          Writer w(version, MessageType::kAccepted);
          w.I32(m.ClientId);
          w.U32(m.Key);
          return w.Take();
        } else if constexpr (std::is_same_v<T, Refused>) {
          Writer w(version, MessageType::kRefused);
          w.U8(Code(m.Reason));
          return w.Take();
        } else if constexpr (std::is_same_v<T, Ping>) {
          Writer w(version, MessageType::kPing);
          w.U32(m.Sequence);
          w.U32(m.RoundTripMicros);
          return w.Take();
        } else if constexpr (std::is_same_v<T, Pong>) {
          Writer w(version, MessageType::kPong);
          w.I32(m.ClientId);
          w.U32(m.Key);
          w.U32(m.Sequence);
          return w.Take();
        } else if constexpr (std::is_same_v<T, Chat>) {
          Writer w(version, MessageType::kChat);
          w.I32(m.ClientId);
          w.U32(m.Key);
          w.Text(m.Text);
          return w.Take();
        } else if constexpr (std::is_same_v<T, Leave>) {
          Writer w(version, MessageType::kLeave);
          w.I32(m.ClientId);
          w.U32(m.Key);
          return w.Take();
        } else if constexpr (std::is_same_v<T, Disconnect>) {
          Writer w(version, MessageType::kDisconnect);
          w.U8(Code(m.Reason));
          return w.Take();
        } else if constexpr (std::is_same_v<T, Level>) {
          Writer w(version, MessageType::kLevel);
          w.I32(m.Index);
          w.Text(m.Name);
          return w.Take();
        } else if constexpr (std::is_same_v<T, Query>) {
          Writer w(version, MessageType::kQuery);
          w.U64(m.Cookie);
          return w.Take();
        } else {
          static_assert(std::is_same_v<T, Info>);
          Writer w(version, MessageType::kInfo);
          w.Text(m.Text);
          return w.Take();
        }
      },
      message);
}

Decoded Decode(std::span<const std::uint8_t> datagram) {
  if (datagram.size() < kHeaderBytes || datagram.size() > kMaxDatagramBytes ||
      datagram[0] != kMagic0 || datagram[1] != kMagic1) {
    return DecodeError::kMalformed;
  }
  const std::uint8_t version = datagram[2];
  const std::uint8_t type = datagram[3];
  Reader reader(datagram.subspan(kHeaderBytes));
  if (version != kProtocolVersion) {
    if (type != Code(MessageType::kJoin)) {
      return DecodeError::kWrongVersion;
    }
    ForeignJoin join{version, reader.U64()};
    if (datagram.size() < kHeaderBytes + sizeof join.Cookie) {
      return DecodeError::kMalformed;
    }
    return Message(join);
  }
  if (type < Code(MessageType::kHello) || type > Code(MessageType::kInfo)) {
    return DecodeError::kUnknownType;
  }
  Message message = ReadBody(static_cast<MessageType>(type), reader);
  if (!reader.Complete()) {
    return DecodeError::kMalformed;
  }
  return message;
}

const char* RefuseReasonText(RefuseReason reason) {
  switch (reason) {
    case RefuseReason::kWrongPassword:
      return "wrong password";
    case RefuseReason::kServerFull:
      return "server full";
    case RefuseReason::kBadName:
      return "bad name";
    case RefuseReason::kWrongVersion:
      return "wrong version";
  }
  return "unknown reason";
}

const char* DisconnectReasonText(DisconnectReason reason) {
  switch (reason) {
    case DisconnectReason::kKicked:
      return "kicked";
    case DisconnectReason::kTimedOut:
      return "timed out";
    case DisconnectReason::kServerClosing:
      return "server closing";
  }
  return "unknown reason";
}

}  // namespace vex::net
