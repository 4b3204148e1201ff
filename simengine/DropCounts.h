#pragma once

#include <cstdint>

namespace vex::sim {

// Datagrams the game port dropped, by reason; shown by the console command `status`.
struct DropCounts {
  std::uint64_t Malformed = 0;    // no header, a short field, a bad length, a byte too many
  std::uint64_t OverLong = 0;     // beyond the protocol's datagram size
  std::uint64_t Unknown = 0;      // an unknown type or version, or a server's message
  std::uint64_t Spoofed = 0;      // a bad cookie, or not from the client it names
  std::uint64_t RateLimited = 0;  // over its address's rate

  std::uint64_t Total() const { return Malformed + OverLong + Unknown + Spoofed + RateLimited; }
};

}  // namespace vex::sim
