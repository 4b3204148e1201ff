// Any datagram through the game port's decoder: it is read whole or refused, and what it
// accepts is written back byte for byte by the encoder, so a malformed datagram cannot pass as
// another one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <variant>
#include <vector>

#include "simengine/protocol/NetProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> datagram(data, size);
  const vex::gamenet::Decoded decoded = vex::gamenet::Decode(datagram);
  const auto* message = std::get_if<vex::gamenet::Message>(&decoded);
  if (message == nullptr) {
    return 0;
  }
  // A join of another version keeps only the fields every version shares.
  if (std::holds_alternative<vex::gamenet::ForeignJoin>(*message)) {
    return 0;
  }
  const std::vector<std::uint8_t> encoded = vex::gamenet::Encode(*message, datagram[2]);
  if (encoded.size() != size || !std::equal(encoded.begin(), encoded.end(), data)) {
    std::fprintf(stderr, "net_datagram_fuzz: an accepted datagram is not written back as read\n");
    std::abort();
  }
  return 0;
}
