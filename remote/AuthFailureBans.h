#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vex::remote {

// Wrong remote-console passwords per address: enough failures within a window ban the address
// for a while. Times are the caller's monotonic milliseconds.
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
