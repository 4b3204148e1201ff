#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "remote/TokenBucket.h"

namespace vex::remote {

// How often a secret may be tried, so that guessing it stays slow without a crowd of addresses
// keeping the operator out. An attempt is paid from the budget of the network its address is in
// (remote/AddressBlocks.h): a crowd in one network spends that network's budget only, and
// connections from this machine have one of their own. A host that signed in lately pays from a
// budget of its own, which strangers of its network cannot spend. Times are the caller's
// monotonic milliseconds.
class SignInBudgets {
 public:
  struct Limits {
    double PerSecond = 10;
    double Burst = 20;
    // How long a host that signed in keeps its own budget after its last sign-in.
    std::uint64_t TrustMs = 86'400'000;
    // Tables' sizes; past them the entries that tell the least go first, so memory stays
    // bounded whoever connects.
    std::size_t Networks = 4096;
    std::size_t TrustedHosts = 256;
  };

  SignInBudgets() : SignInBudgets(Limits{}) {}
  explicit SignInBudgets(Limits limits) : limits_(limits) {}

  // Spends one attempt for the address; false when its budget has none left now.
  bool Take(std::string_view address, std::uint64_t nowMs);
  // The address proved the secret: its host has a budget of its own from now on.
  void SignedIn(std::string_view address, std::uint64_t nowMs);

 private:
  struct Trusted {
    std::uint64_t SignedInMs = 0;
    TokenBucket Budget;
  };

  void MakeRoomForNetwork(std::uint64_t nowMs);
  void MakeRoomForHost(std::uint64_t nowMs);

  Limits limits_;
  std::unordered_map<std::string, TokenBucket> networks_;
  std::unordered_map<std::string, Trusted> trusted_;
};

}  // namespace vex::remote
