#include "remote/ReportThrottle.h"

#include <algorithm>

namespace vex::remote {

std::vector<std::string> ReportThrottle::Offer(std::string_view kind, std::string line,
                                               std::uint64_t nowMs) {
  std::vector<std::string> shown;
  auto found = windows_.find(kind);
  if (found == windows_.end()) {
    found = windows_.emplace(std::string(kind), Window{}).first;
  } else if (nowMs - found->second.StartMs < kWindowMs) {
    ++found->second.Counted;
    return shown;
  } else if (found->second.Counted > 0) {
    shown.push_back(Summary(found->first, found->second));
  }
  found->second = Window{nowMs, 0};
  shown.push_back(std::move(line));
  return shown;
}

std::vector<std::string> ReportThrottle::Due(std::uint64_t nowMs) {
  std::vector<std::string> due;
  for (auto it = windows_.begin(); it != windows_.end();) {
    Window& window = it->second;
    if (nowMs - window.StartMs < kWindowMs) {
      ++it;
      continue;
    }
    if (window.Counted > 0) {
      due.push_back(Summary(it->first, window));
    }
    it = windows_.erase(it);
  }
  return due;
}

std::optional<std::uint64_t> ReportThrottle::NextDueMs() const {
  std::optional<std::uint64_t> next;
  for (const auto& [kind, window] : windows_) {
    if (window.Counted > 0) {
      next = std::min(next.value_or(window.StartMs + kWindowMs), window.StartMs + kWindowMs);
    }
  }
  return next;
}

std::string ReportThrottle::Summary(const std::string& kind, const Window& window) const {
  return service_ + ": " + std::to_string(window.Counted) + " more " + kind +
         " in the last second.";
}

}  // namespace vex::remote
