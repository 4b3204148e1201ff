#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vex::remote {

// Wrong guesses of one secret, by address: enough failures from one address within a window ban
// it for a while. An IPv6 address counts by its /64, the block that one host can pick its
// addresses from. Times are the caller's monotonic milliseconds.
class AuthFailureBans {
 public:
  struct Limits {
    std::size_t Failures = 5;
    std::uint64_t WindowMs = 60'000;
    std::uint64_t BanMs = 600'000;
    // Tracked addresses; past it the entries that can no longer ban anyone are dropped, then
    // the one whose last failure is oldest, so memory stays bounded whoever connects.
    std::size_t Addresses = 4096;
  };

  AuthFailureBans() : AuthFailureBans(Limits{}) {}
  explicit AuthFailureBans(Limits limits) : limits_(limits) {}

  bool IsBanned(std::string_view address, std::uint64_t nowMs) const;
  std::size_t BannedCount(std::uint64_t nowMs) const;
  // Records one failure; true when it bans the address.
  bool RecordFailure(std::string_view address, std::uint64_t nowMs);

 private:
  struct Entry {
    std::deque<std::uint64_t> Failures;  // the latest ones, oldest first
    std::uint64_t BannedUntil = 0;
  };

  void MakeRoom(std::uint64_t nowMs);

  Limits limits_;
  std::unordered_map<std::string, Entry> entries_;
};

}  // namespace vex::remote
