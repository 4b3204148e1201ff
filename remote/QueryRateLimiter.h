#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "remote/TokenBucket.h"

namespace vex::remote {

// Token buckets for datagram queries: one per address slot and one for all. Addresses share a
// fixed table of slots by hash, so a flood from forged sources costs no memory; at worst a
// forged source shares a slot with a real one and both slow down.
class QueryRateLimiter {
 public:
  struct Limits {
    double PerAddressPerSecond = 20;
    double PerAddressBurst = 40;
    double AllPerSecond = 1000;
    double AllBurst = 2000;
  };

  QueryRateLimiter() : QueryRateLimiter(Limits{}) {}
  explicit QueryRateLimiter(Limits limits);

  // Whether a query from the address may be answered now; an answered query spends a token.
  bool Allow(std::string_view address, std::uint64_t nowMs);

 private:
  static constexpr std::size_t kSlots = 1024;

  Limits limits_;
  std::array<TokenBucket, kSlots> slots_{};
  TokenBucket all_{};
};

}  // namespace vex::remote
