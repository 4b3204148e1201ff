#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

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
  struct Bucket {
    double Tokens = 0;
    std::uint64_t LastMs = 0;
    bool Used = false;
  };
  static constexpr std::size_t kSlots = 1024;

  static bool Take(Bucket& bucket, double perSecond, double burst, std::uint64_t nowMs);

  Limits limits_;
  std::array<Bucket, kSlots> slots_{};
  Bucket all_{};
};

}  // namespace vex::remote
