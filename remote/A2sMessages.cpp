#include "remote/A2sMessages.h"

#include <algorithm>
#include <bit>

#include "platform/TextCut.h"
#include "remote/Utf8.h"

namespace vex::remote {

namespace {

constexpr std::string_view kSimpleHeader("\xFF\xFF\xFF\xFF", 4);
constexpr std::string_view kInfoPayload("Source Engine Query\0", 20);
constexpr char kInfoRequest = 0x54;
constexpr char kPlayersRequest = 0x55;
constexpr char kRulesRequest = 0x56;
constexpr char kChallengeResponse = 0x41;
constexpr char kInfoResponse = 0x49;
constexpr char kPlayersResponse = 0x44;
constexpr char kRulesResponse = 0x45;
constexpr std::uint8_t kProtocolVersion = 17;
constexpr std::uint32_t kAskForChallenge = 0xFFFFFFFFu;
constexpr std::uint8_t kExtraGamePort = 0x80;
// Room for one text field: the datagram's limit holds every field of the info answer at this size.
constexpr std::size_t kLongestText = 200;

std::uint32_t ReadUint32(std::string_view bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
  }
  return value;
}

// The first four bytes after the request are its challenge; some clients send more after
// them, which says nothing.
std::optional<std::uint32_t> ChallengeFrom(std::string_view bytes) {
  if (bytes.size() < 4) {
    return std::nullopt;
  }
  const std::uint32_t value = ReadUint32(bytes);
  return value == kAskForChallenge ? std::nullopt : std::optional<std::uint32_t>(value);
}

// A browser shows a text field as it comes: one from the configuration, the command line or a
// player must neither drive its terminal nor break its decoder.
std::string FieldText(std::string_view text) {
  const std::string printable = PrintableUtf8(text.substr(0, text.find('\0')));
  return std::string(platform::CutAtCharacter(printable, kLongestText));
}

class Writer {
 public:
  explicit Writer(char kind) {
    out_.append(kSimpleHeader);
    out_.push_back(kind);
  }
  void Byte(std::uint8_t value) { out_.push_back(static_cast<char>(value)); }
  void Uint16(std::uint16_t value) {
    Byte(static_cast<std::uint8_t>(value & 0xFFu));
    Byte(static_cast<std::uint8_t>(value >> 8));
  }
  void Uint32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
      Byte(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFFu));
    }
  }
  // A zero byte ends a text on the wire, so one inside it ends it here too.
  void Text(std::string_view text) {
    out_.append(FieldText(text));
    out_.push_back('\0');
  }
  std::size_t Size() const { return out_.size(); }
  std::string& Bytes() { return out_; }

 private:
  std::string out_;
};

std::size_t TextSize(std::string_view text) {
  return FieldText(text).size() + 1;
}

std::uint8_t ClampByte(int value) {
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

}  // namespace

std::optional<A2sRequest> ParseA2sRequest(std::string_view datagram) {
  if (datagram.size() < 5 || datagram.substr(0, 4) != kSimpleHeader) {
    return std::nullopt;
  }
  const char kind = datagram[4];
  const std::string_view rest = datagram.substr(5);
  if (kind == kInfoRequest) {
    if (rest.substr(0, kInfoPayload.size()) != kInfoPayload) {
      return std::nullopt;
    }
    const std::string_view challenge = rest.substr(kInfoPayload.size());
    if (!challenge.empty() && challenge.size() < 4) {
      return std::nullopt;
    }
    return A2sRequest{A2sKind::Info, ChallengeFrom(challenge)};
  }
  if ((kind == kPlayersRequest || kind == kRulesRequest) && rest.size() >= 4) {
    return A2sRequest{kind == kPlayersRequest ? A2sKind::Players : A2sKind::Rules,
                      ChallengeFrom(rest)};
  }
  return std::nullopt;
}

std::string BuildA2sChallenge(std::uint32_t challenge) {
  Writer out(kChallengeResponse);
  out.Uint32(challenge);
  return std::move(out.Bytes());
}

std::string BuildA2sInfo(const A2sStatus& status) {
  Writer out(kInfoResponse);
  out.Byte(kProtocolVersion);
  out.Text(status.Name);
  out.Text(status.Map);
  out.Text(status.Folder);
  out.Text(status.Game);
  out.Uint16(0);  // no Steam application
  out.Byte(ClampByte(static_cast<int>(status.Players.size())));
  out.Byte(ClampByte(status.MaxPlayers));
  out.Byte(ClampByte(static_cast<int>(std::count_if(status.Players.begin(), status.Players.end(),
                                                    [](const A2sPlayer& p) { return p.Bot; }))));
  out.Byte('d');  // dedicated
  out.Byte('l');  // Linux
  out.Byte(status.Password ? 1 : 0);
  out.Byte(0);  // no anti-cheat
  out.Text(status.Version);
  out.Byte(kExtraGamePort);
  out.Uint16(status.GamePort);
  return std::move(out.Bytes());
}

std::string BuildA2sPlayers(const A2sStatus& status) {
  Writer out(kPlayersResponse);
  const std::size_t countAt = out.Size();
  out.Byte(0);
  std::uint8_t count = 0;
  for (const A2sPlayer& player : status.Players) {
    const std::size_t entry = 1 + TextSize(player.Name) + 4 + 4;
    if (count == 255 || out.Size() + entry > kA2sMaxDatagram) {
      break;
    }
    out.Byte(count);
    out.Text(player.Name);
    out.Uint32(static_cast<std::uint32_t>(player.Score));
    out.Uint32(std::bit_cast<std::uint32_t>(player.Seconds));
    ++count;
  }
  out.Bytes()[countAt] = static_cast<char>(count);
  return std::move(out.Bytes());
}

std::string BuildA2sRules(const A2sStatus& status) {
  Writer out(kRulesResponse);
  const std::size_t countAt = out.Size();
  out.Uint16(0);
  std::uint16_t count = 0;
  for (const auto& [name, value] : status.Rules) {
    if (out.Size() + TextSize(name) + TextSize(value) > kA2sMaxDatagram) {
      break;
    }
    out.Text(name);
    out.Text(value);
    ++count;
  }
  out.Bytes()[countAt] = static_cast<char>(count & 0xFFu);
  out.Bytes()[countAt + 1] = static_cast<char>(count >> 8);
  return std::move(out.Bytes());
}

}  // namespace vex::remote
