#include "simengine/protocol/NetProtocol.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace vex::gamenet {

namespace {

constexpr std::uint8_t kMagic0 = 'V';
constexpr std::uint8_t kMagic1 = 'X';
constexpr std::size_t kHelloPadding = 8;

constexpr std::uint8_t Code(auto value) {
  return static_cast<std::uint8_t>(value);
}

// Bytes that no field holds, zero on the wire; a reader refuses anything else in them.
struct Padding {
  std::size_t Bytes;
};

class Writer {
 public:
  Writer(std::uint8_t version, MessageType type) {
    bytes_ = {kMagic0, kMagic1, version, static_cast<std::uint8_t>(type)};
  }
  void Put(std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    }
  }
  void Put(std::uint64_t value) {
    Put(static_cast<std::uint32_t>(value >> 32));
    Put(static_cast<std::uint32_t>(value));
  }
  void Put(std::int32_t value) { Put(static_cast<std::uint32_t>(value)); }
  void Put(std::string_view text) {
    text = text.substr(0, kMaxTextBytes);
    bytes_.push_back(static_cast<std::uint8_t>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
  }
  void Put(const std::string& text) { Put(std::string_view(text)); }
  template <class Code>
  requires std::is_enum_v<Code>
  void Put(Code code) { bytes_.push_back(static_cast<std::uint8_t>(code)); }
  void Put(Padding padding) { bytes_.insert(bytes_.end(), padding.Bytes, 0); }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// The codes each code field may hold, first to last.
constexpr std::pair<RefuseReason, RefuseReason> CodeRange(RefuseReason) {
  return {RefuseReason::WrongPassword, RefuseReason::WrongVersion};
}
constexpr std::pair<DisconnectReason, DisconnectReason> CodeRange(DisconnectReason) {
  return {DisconnectReason::Kicked, DisconnectReason::ServerClosing};
}

// Remembers its first failure: every later read yields zero, and Complete() says whether the
// body was read whole and exactly.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> body) : body_(body) {}

  void Take(std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4; ++i) {
      value = (value << 8) | Byte();
    }
  }
  void Take(std::uint64_t& value) {
    std::uint32_t high = 0;
    std::uint32_t low = 0;
    Take(high);
    Take(low);
    value = (std::uint64_t{high} << 32) | low;
  }
  void Take(std::int32_t& value) {
    std::uint32_t bits = 0;
    Take(bits);
    value = static_cast<std::int32_t>(bits);
  }
  void Take(std::string& text) {
    const std::size_t length = Byte();
    if (!Have(length)) {
      text.clear();
      return;
    }
    text.assign(reinterpret_cast<const char*>(body_.data() + position_), length);
    position_ += length;
  }
  template <class Code>
  requires std::is_enum_v<Code>
  void Take(Code& code) {
    const auto [first, last] = CodeRange(code);
    const std::uint8_t value = Byte();
    if (value < static_cast<std::uint8_t>(first) || value > static_cast<std::uint8_t>(last)) {
      failed_ = true;
      code = first;
      return;
    }
    code = static_cast<Code>(value);
  }
  void Take(Padding padding) {
    for (std::size_t i = 0; i < padding.Bytes; ++i) {
      if (Byte() != 0) {
        failed_ = true;
      }
    }
  }
  bool Failed() const { return failed_; }
  bool Complete() const { return !failed_ && position_ == body_.size(); }

 private:
  std::uint8_t Byte() { return Have(1) ? body_[position_++] : 0; }
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

template <MessageType Type, auto... Field>
struct Fields {
  static constexpr MessageType kType = Type;
  static constexpr auto kFields = std::tuple(Field...);
};

// Each message's type and its fields in the order they travel: the one description that both
// the encoder and the decoder follow. A join of another version keeps only what every version's
// join shares, and its version is its own.
template <class M>
struct Layout;
template <>
struct Layout<Hello> : Fields<MessageType::Hello, &Hello::Token, Padding{kHelloPadding}> {};
template <>
struct Layout<Challenge> : Fields<MessageType::Challenge, &Challenge::Token, &Challenge::Cookie> {};
template <>
struct Layout<Join> : Fields<MessageType::Join, &Join::Cookie, &Join::Name, &Join::Password> {};
template <>
struct Layout<ForeignJoin> : Fields<MessageType::Join, &ForeignJoin::Cookie> {};
template <>
struct Layout<Accepted> : Fields<MessageType::Accepted, &Accepted::ClientId, &Accepted::Key> {};
template <>
struct Layout<Refused> : Fields<MessageType::Refused, &Refused::Reason> {};
template <>
struct Layout<Ping> : Fields<MessageType::Ping, &Ping::Sequence, &Ping::RoundTripMicros> {};
template <>
struct Layout<Pong> : Fields<MessageType::Pong, &Pong::ClientId, &Pong::Key, &Pong::Sequence> {};
template <>
struct Layout<Chat> : Fields<MessageType::Chat, &Chat::ClientId, &Chat::Key, &Chat::Text> {};
template <>
struct Layout<Leave> : Fields<MessageType::Leave, &Leave::ClientId, &Leave::Key> {};
template <>
struct Layout<Disconnect> : Fields<MessageType::Disconnect, &Disconnect::Reason> {};
template <>
struct Layout<Level> : Fields<MessageType::Level, &Level::Index, &Level::Name> {};
template <>
struct Layout<Query> : Fields<MessageType::Query, &Query::Cookie> {};
template <>
struct Layout<Info> : Fields<MessageType::Info, &Info::Text> {};

// Where a layout's entry lives in a message: its field, or the padding itself.
template <class M, class T>
const T& Slot(const M& message, T M::*field) {
  return message.*field;
}
template <class M, class T>
T& Slot(M& message, T M::*field) {
  return message.*field;
}
Padding Slot(const auto&, Padding padding) {
  return padding;
}

std::uint8_t VersionOf(const ForeignJoin& join, std::uint8_t) {
  return join.Version;
}
std::uint8_t VersionOf(const auto&, std::uint8_t version) {
  return version;
}

template <class M>
std::vector<std::uint8_t> Write(const M& message, std::uint8_t version) {
  Writer writer(VersionOf(message, version), Layout<M>::kType);
  std::apply([&](auto... field) { (writer.Put(Slot(message, field)), ...); }, Layout<M>::kFields);
  return writer.Take();
}

template <class M>
M Read(Reader& reader) {
  M message;
  std::apply([&](auto... field) { (reader.Take(Slot(message, field)), ...); }, Layout<M>::kFields);
  return message;
}

using BodyReader = Message (*)(Reader&);
using BodyReaderTable = std::array<BodyReader, Code(MessageType::Info) + 1>;

template <class M>
Message ReadMessage(Reader& reader) {
  return Read<M>(reader);
}

// A join of another version is read apart, before its type is looked up.
template <class M>
constexpr void AddBodyReader([[maybe_unused]] BodyReaderTable& readers) {
  if constexpr (!std::is_same_v<M, ForeignJoin>) {
    readers[Code(Layout<M>::kType)] = &ReadMessage<M>;
  }
}

template <class... M>
constexpr BodyReaderTable BodyReaders(std::type_identity<std::variant<M...>>) {
  BodyReaderTable readers{};
  (AddBodyReader<M>(readers), ...);
  return readers;
}

template <class... M>
constexpr bool EveryTypeHasALayout(std::type_identity<std::variant<M...>>) {
  std::array<bool, Code(MessageType::Info) + 1> described{};
  ((described[Code(Layout<M>::kType)] = true), ...);
  return std::all_of(described.begin() + Code(MessageType::Hello), described.end(),
                     [](bool yes) { return yes; });
}
static_assert(EveryTypeHasALayout(std::type_identity<Message>()));

// The reader of each type of this version, by its code.
constexpr auto kBodyReaders = BodyReaders(std::type_identity<Message>());

}  // namespace

std::vector<std::uint8_t> Encode(const Message& message, std::uint8_t version) {
  return std::visit([version](const auto& m) { return Write(m, version); }, message);
}

Decoded Decode(std::span<const std::uint8_t> datagram) {
  if (datagram.size() < kHeaderBytes || datagram.size() > kMaxDatagramBytes ||
      datagram[0] != kMagic0 || datagram[1] != kMagic1) {
    return DecodeError::Malformed;
  }
  const std::uint8_t version = datagram[2];
  const std::uint8_t type = datagram[3];
  Reader reader(datagram.subspan(kHeaderBytes));
  if (version != kProtocolVersion) {
    if (type != Code(MessageType::Join)) {
      return DecodeError::WrongVersion;
    }
    ForeignJoin join = Read<ForeignJoin>(reader);
    if (reader.Failed()) {
      return DecodeError::Malformed;
    }
    join.Version = version;
    return Message(join);
  }
  if (type >= kBodyReaders.size() || kBodyReaders[type] == nullptr) {
    return DecodeError::UnknownType;
  }
  Message message = kBodyReaders[type](reader);
  if (!reader.Complete()) {
    return DecodeError::Malformed;
  }
  return message;
}

const char* RefuseReasonText(RefuseReason reason) {
  switch (reason) {
    case RefuseReason::WrongPassword:
      return "wrong password";
    case RefuseReason::ServerFull:
      return "server full";
    case RefuseReason::BadName:
      return "bad name";
    case RefuseReason::WrongVersion:
      return "wrong version";
  }
  return "unknown reason";
}

const char* DisconnectReasonText(DisconnectReason reason) {
  switch (reason) {
    case DisconnectReason::Kicked:
      return "kicked";
    case DisconnectReason::TimedOut:
      return "timed out";
    case DisconnectReason::ServerClosing:
      return "server closing";
  }
  return "unknown reason";
}

}  // namespace vex::gamenet
