#pragma once

#include <array>
#include <cstdint>

namespace vex::sim {

// Cookies that prove a sender's address without keeping any state per sender: a keyed hash of
// the address and the current period. A cookie stays good for the period it was made in and
// the next one, so a client has at least one whole period to use it.
class ChallengeCookie {
 public:
  static constexpr std::int64_t kPeriodMs = 15000;

  ChallengeCookie();

  std::uint64_t Make(std::uint64_t address, std::int64_t nowMs) const;
  bool Check(std::uint64_t cookie, std::uint64_t address, std::int64_t nowMs) const;

 private:
  std::uint64_t Hash(std::uint64_t address, std::int64_t period) const;

  std::array<std::uint64_t, 2> key_;
};

}  // namespace vex::sim
