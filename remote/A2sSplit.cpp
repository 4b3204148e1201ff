#include "remote/A2sSplit.h"

#include <algorithm>

namespace vex::remote {

namespace {

void AppendLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
  }
}

}  // namespace

std::vector<std::string> SplitA2sAnswer(std::string_view answer, std::uint32_t id) {
  if (answer.size() <= kA2sMaxDatagram) {
    return {std::string(answer)};
  }
  const std::size_t parts =
      std::min((answer.size() + kA2sPartPayload - 1) / kA2sPartPayload, kA2sMostParts);
  std::vector<std::string> datagrams;
  for (std::size_t part = 0; part < parts; ++part) {
    std::string datagram;
    AppendLittleEndian(datagram, 0xFFFFFFFEu, 4);
    AppendLittleEndian(datagram, id & 0x7FFFFFFFu, 4);
    datagram.push_back(static_cast<char>(parts));
    datagram.push_back(static_cast<char>(part));
    AppendLittleEndian(datagram, kA2sMaxDatagram, 2);
    datagram.append(answer.substr(part * kA2sPartPayload, kA2sPartPayload));
    datagrams.push_back(std::move(datagram));
  }
  return datagrams;
}

}  // namespace vex::remote
