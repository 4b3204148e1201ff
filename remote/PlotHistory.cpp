#include "remote/PlotHistory.h"

#include <algorithm>

namespace vex::remote {

void PlotHistory::Record(std::int64_t second, std::uint32_t players, std::uint64_t frames,
                         std::uint32_t slowestFrameUs, std::uint32_t elapsedMs) {
  const std::int64_t index = second >= 0 ? second / 60 : (second - 59) / 60;
  // A clock that went back writes into the newest minute rather than behind it.
  if (!any_ || index > ring_[newest_].Index) {
    newest_ = any_ ? (newest_ + 1) % ring_.size() : 0;
    ring_[newest_] = Minute{index, 0, 0, 0, 0};
    any_ = true;
  }
  Minute& minute = ring_[newest_];
  minute.Players = players;
  minute.Frames += frames;
  minute.SlowestFrameUs = std::max(minute.SlowestFrameUs, slowestFrameUs);
  // A sample always covers some time, so a minute that has one is drawn.
  minute.CoveredMs += std::max<std::uint32_t>(elapsedMs, 1);
}

std::vector<PlotHistory::Minute> PlotHistory::Minutes() const {
  std::vector<Minute> minutes;
  if (!any_) {
    return minutes;
  }
  const std::int64_t newestIndex = ring_[newest_].Index;
  for (std::size_t step = 1; step <= ring_.size(); ++step) {
    const Minute& minute = ring_[(newest_ + step) % ring_.size()];
    if (minute.Index > newestIndex - static_cast<std::int64_t>(ring_.size()) &&
        minute.Index <= newestIndex && minute.CoveredMs > 0) {
      minutes.push_back(minute);
    }
  }
  return minutes;
}

}  // namespace vex::remote
