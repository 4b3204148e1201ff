// The remote console's stream reader and the server query's request parser and answers. The
// reader gets the input in pieces of the sizes the input itself chooses, as TCP may deliver it;
// every packet it gives must be one the server accepts and must read back the same once
// written, and after an error it must give nothing more. Every query answer built from the
// input's texts must fit one datagram.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "remote/A2sMessages.h"
#include "remote/A2sSplit.h"
#include "remote/RconPacket.h"

namespace {

using namespace vex::remote;

void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "remote_packets_fuzz: invariant broken: %s\n", what);
    std::abort();
  }
}

void CheckReadsBack(const RconPacket& packet) {
  RconReader again;
  again.Feed(EncodeRconPacket(packet.Id, packet.Type, packet.Body));
  const std::optional<RconPacket> read = again.Next();
  Require(read.has_value(), "a written packet does not read back");
  Require(read->Id == packet.Id && read->Type == packet.Type && read->Body == packet.Body,
          "a packet reads back different");
}

void ReadRconStream(std::string_view input) {
  RconReader reader;
  while (!input.empty()) {
    const std::size_t piece = std::min<std::size_t>(input.size(), 1 + input[0] % 64 * 17);
    reader.Feed(input.substr(0, piece));
    input.remove_prefix(piece);
    while (const std::optional<RconPacket> packet = reader.Next()) {
      Require(reader.Error() == RconReadError::None, "a packet after an error");
      Require(packet->Body.size() <= kRconMaxBody, "a body over the largest packet");
      Require(packet->Type == kRconAuth || packet->Type == kRconExecCommand ||
                  packet->Type == kRconResponseValue,
              "a packet of an unknown type");
      CheckReadsBack(*packet);
    }
  }
  if (reader.Error() != RconReadError::None) {
    reader.Feed(std::string(kRconMinPacketSize + 4, '\0'));
    Require(!reader.Next().has_value(), "the reader goes on after an error");
  }
}

void SplitAnswer(std::string_view text) {
  std::string joined;
  for (const std::string& body : SplitRconAnswer(text)) {
    Require(body.size() <= kRconAnswerBody, "an answer body over a full packet");
    joined += body;
  }
  Require(joined == text, "the answer's bodies do not join to the answer");
}

// Texts for a status, taken from the input at the zero bytes that end them.
class TextSource {
 public:
  explicit TextSource(std::string_view input) : input_(input) {}
  bool Empty() const { return input_.empty(); }
  std::string Next() {
    const std::size_t end = std::min(input_.find('\0'), input_.size());
    std::string text(input_.substr(0, end));
    input_.remove_prefix(std::min(end + 1, input_.size()));
    return text;
  }

 private:
  std::string_view input_;
};

void AnswerQueries(std::string_view input) {
  if (const std::optional<A2sRequest> request = ParseA2sRequest(input)) {
    Require(input.size() >= 5, "a request shorter than its header");
  }
  TextSource texts(input);
  A2sStatus status;
  status.Name = texts.Next();
  status.Map = texts.Next();
  status.Folder = texts.Next();
  status.Game = texts.Next();
  status.Version = texts.Next();
  status.MaxPlayers = static_cast<int>(input.size() % 300) - 20;
  while (!texts.Empty()) {
    status.Players.push_back(
        A2sPlayer{texts.Next(), static_cast<std::int32_t>(input.size()), 1.5F});
    status.Rules.emplace_back(texts.Next(), texts.Next());
  }
  Require(BuildA2sInfo(status).size() <= kA2sMaxDatagram, "an info answer over one datagram");
  for (const std::string& answer : {BuildA2sPlayers(status), BuildA2sRules(status)}) {
    Require(answer.size() <= kA2sMaxAnswer, "an answer over its most parts");
    std::string joined;
    for (const std::string& part :
         SplitA2sAnswer(answer, static_cast<std::uint32_t>(input.size()))) {
      Require(part.size() <= kA2sMaxDatagram, "a part over one datagram");
      joined += answer.size() <= kA2sMaxDatagram ? part : part.substr(kA2sSplitHeader);
    }
    Require(joined == answer, "the parts do not join to the answer");
  }
}

}  // namespace

// The first byte chooses the reader; the rest is its input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      ReadRconStream(input);
      break;
    case 1:
      SplitAnswer(input);
      break;
    default:
      AnswerQueries(input);
      break;
  }
  return 0;
}
