#include "remote/SignInBudgets.h"

#include <algorithm>
#include <iterator>

#include "remote/AddressBlocks.h"

namespace vex::remote {

bool SignInBudgets::Take(std::string_view address, std::uint64_t nowMs) {
  const auto trusted = trusted_.find(HostGroup(address));
  if (trusted != trusted_.end() && nowMs - trusted->second.SignedInMs <= limits_.TrustMs) {
    return trusted->second.Budget.Take(limits_.PerSecond, limits_.Burst, nowMs);
  }
  std::string network = NetworkBlock(address);
  if (!networks_.contains(network) && networks_.size() >= limits_.Networks) {
    MakeRoomForNetwork(nowMs);
  }
  return networks_[std::move(network)].Take(limits_.PerSecond, limits_.Burst, nowMs);
}

void SignInBudgets::SignedIn(std::string_view address, std::uint64_t nowMs) {
  std::string host = HostGroup(address);
  if (!trusted_.contains(host) && trusted_.size() >= limits_.TrustedHosts) {
    MakeRoomForHost(nowMs);
  }
  trusted_[std::move(host)].SignedInMs = nowMs;
}

// A network whose budget has filled up again is as good as new, so it goes first; else the
// one used longest ago.
void SignInBudgets::MakeRoomForNetwork(std::uint64_t nowMs) {
  for (auto it = networks_.begin(); it != networks_.end();) {
    it->second.Refill(limits_.PerSecond, limits_.Burst, nowMs);
    it = it->second.Tokens >= limits_.Burst ? networks_.erase(it) : std::next(it);
  }
  if (networks_.size() < limits_.Networks) {
    return;
  }
  networks_.erase(std::min_element(networks_.begin(), networks_.end(), [](auto& a, auto& b) {
    return a.second.LastMs < b.second.LastMs;
  }));
}

void SignInBudgets::MakeRoomForHost(std::uint64_t nowMs) {
  std::erase_if(trusted_,
                [&](auto& item) { return nowMs - item.second.SignedInMs > limits_.TrustMs; });
  if (trusted_.size() < limits_.TrustedHosts) {
    return;
  }
  trusted_.erase(std::min_element(trusted_.begin(), trusted_.end(), [](auto& a, auto& b) {
    return a.second.SignedInMs < b.second.SignedInMs;
  }));
}

}  // namespace vex::remote
