#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vex::remote {

// Wrong passwords of the remote console and the web page, in one table: enough failures from one
// address within a window ban it for a while, for both services. An IPv6 address counts by its
// /64, the block that one host can pick its addresses from. All addresses together also share a
// budget of sign-in attempts per second, so rotating addresses buys no more guesses. Times are
// the caller's monotonic milliseconds.
class AuthFailureBans {
 public:
  struct Limits {
    std::size_t Failures = 5;
    std::uint64_t WindowMs = 60'000;
    std::uint64_t BanMs = 600'000;
    // Tracked addresses; past it the entries that can no longer ban anyone are dropped, then
    // the one whose last failure is oldest, so memory stays bounded whoever connects.
    std::size_t Addresses = 4096;
    double AttemptsPerSecond = 10;
    double AttemptsBurst = 20;
  };

  AuthFailureBans() : AuthFailureBans(Limits{}) {}
  explicit AuthFailureBans(Limits limits) : limits_(limits) {}

  bool IsBanned(std::string_view address, std::uint64_t nowMs) const;
  std::size_t BannedCount(std::uint64_t nowMs) const;
  // Records one failure; true when it bans the address.
  bool RecordFailure(std::string_view address, std::uint64_t nowMs);
  // Spends one sign-in attempt of the shared budget; false when none is left now, and then the
  // password is not even looked at.
  bool TakeAttempt(std::uint64_t nowMs);

  // What the table counts for an address: an IPv4 address whole, an IPv6 one as its /64.
  static std::string AddressGroup(std::string_view address);

 private:
  struct Entry {
    std::deque<std::uint64_t> Failures;  // the latest ones, oldest first
    std::uint64_t BannedUntil = 0;
  };

  void MakeRoom(std::uint64_t nowMs);

  Limits limits_;
  std::unordered_map<std::string, Entry> entries_;
  double attempts_ = 0;
  std::uint64_t attemptsMs_ = 0;
  bool attemptsUsed_ = false;
};

}  // namespace vex::remote
