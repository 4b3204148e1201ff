#include "remote/AuthFailureBans.h"

#include <algorithm>

#include "remote/AddressBlocks.h"

namespace vex::remote {

bool AuthFailureBans::IsBanned(std::string_view address, std::uint64_t nowMs) const {
  const auto found = entries_.find(HostGroup(address));
  return found != entries_.end() && nowMs < found->second.BannedUntil;
}

std::size_t AuthFailureBans::BannedCount(std::uint64_t nowMs) const {
  std::size_t banned = 0;
  for (const auto& [address, entry] : entries_) {
    banned += nowMs < entry.BannedUntil ? 1 : 0;
  }
  return banned;
}

bool AuthFailureBans::RecordFailure(std::string_view address, std::uint64_t nowMs) {
  const std::string key = HostGroup(address);
  if (entries_.find(key) == entries_.end() && entries_.size() >= limits_.Addresses) {
    MakeRoom(nowMs);
  }
  Entry& entry = entries_[key];
  entry.Failures.push_back(nowMs);
  while (entry.Failures.size() > limits_.Failures) {
    entry.Failures.pop_front();
  }
  if (entry.Failures.size() < limits_.Failures ||
      nowMs - entry.Failures.front() > limits_.WindowMs) {
    return false;
  }
  entry.Failures.clear();
  entry.BannedUntil = nowMs + limits_.BanMs;
  return true;
}

void AuthFailureBans::MakeRoom(std::uint64_t nowMs) {
  std::erase_if(entries_, [&](const auto& item) {
    const Entry& entry = item.second;
    const bool banned = nowMs < entry.BannedUntil;
    const bool recent =
        !entry.Failures.empty() && nowMs - entry.Failures.back() <= limits_.WindowMs;
    return !banned && !recent;
  });
  if (entries_.size() < limits_.Addresses) {
    return;
  }
  const auto oldest =
      std::min_element(entries_.begin(), entries_.end(), [](const auto& a, const auto& b) {
        const std::uint64_t lastA =
            a.second.Failures.empty() ? a.second.BannedUntil : a.second.Failures.back();
        const std::uint64_t lastB =
            b.second.Failures.empty() ? b.second.BannedUntil : b.second.Failures.back();
        return lastA < lastB;
      });
  entries_.erase(oldest);
}

}  // namespace vex::remote
