#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>

#include "simengine/HostSocket.h"

namespace vex::sim {

// A token bucket per sender address. The table is bounded: when it is full, addresses whose
// bucket has refilled are forgotten (at most once a second, so that a flood from ever new
// addresses cannot make every datagram sweep the table), and until then new addresses are
// refused.
class RateLimiter {
 public:
  RateLimiter(int perSecond, int burst, std::size_t maxAddresses);

  bool Allow(PeerAddress address, std::int64_t nowMs);

 private:
  struct Bucket {
    double Tokens = 0;
    std::int64_t LastMs = 0;
  };

  void Refill(Bucket& bucket, std::int64_t nowMs) const;
  void ForgetIdle(std::int64_t nowMs);

  double perMs_;
  double burst_;
  std::size_t maxAddresses_;
  std::optional<std::int64_t> lastSweepMs_;
  std::unordered_map<PeerAddress, Bucket> buckets_;
};

}  // namespace vex::sim
