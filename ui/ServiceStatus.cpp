#include "ui/ServiceStatus.h"

#include <algorithm>

#include "framework/VisibleText.h"

namespace vex {

namespace {

constexpr auto kStatusPeriod = std::chrono::seconds(1);
// Beyond the engine's own wait: the engine's release and the last lines after it.
constexpr auto kStopAllowance = std::chrono::seconds(5);

}  // namespace

void ServiceStatus::Running() {
  if (ready_ || stopping_) {
    return;
  }
  ready_ = true;
  notifier_.Send("READY=1");
}

void ServiceStatus::Refresh(const std::string& status, std::uint64_t framesRun,
                            Clock::time_point now) {
  if (!ready_ || stopping_ || !notifier_.Enabled()) {
    return;
  }
  if (status != lastStatus_ && now - lastStatusTime_ >= kStatusPeriod) {
    lastStatus_ = status;
    lastStatusTime_ = now;
    // A line feed in a name would start an assignment of its own.
    notifier_.Send("STATUS=" + fw::VisibleText(status, fw::LineFeeds::Escape));
  }
  const auto interval = notifier_.WatchdogInterval();
  if (interval.count() == 0 || framesRun == framesAtPing_) {
    return;
  }
  // Half the interval leaves room for a tick skipped while a frame is slow.
  const auto pingPeriod = std::min<Clock::duration>(interval / 2, kStatusPeriod);
  if (now - lastPingTime_ >= pingPeriod) {
    framesAtPing_ = framesRun;
    lastPingTime_ = now;
    notifier_.Send("WATCHDOG=1");
  }
}

void ServiceStatus::StopBegins(std::chrono::milliseconds engineWait) {
  if (stopping_) {
    return;
  }
  stopping_ = true;
  const auto extension =
      std::chrono::duration_cast<std::chrono::microseconds>(engineWait + kStopAllowance);
  notifier_.Send("STOPPING=1\nEXTEND_TIMEOUT_USEC=" + std::to_string(extension.count()));
}

}  // namespace vex
