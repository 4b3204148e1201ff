#include "services/ThrottledReports.h"

#include <algorithm>

#include "services/MonotonicClock.h"

namespace vex::services {

ThrottledReports::ThrottledReports(std::string service,
                                   std::function<void(std::string_view)> report)
    : report_(std::move(report)), throttle_(std::move(service)) {
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
    Show(throttle_.Due(MonotonicMs()));
    ScheduleSummaries();
  });
}

void ThrottledReports::Report(std::string_view kind, std::string line) {
  Show(throttle_.Offer(kind, std::move(line), MonotonicMs()));
  ScheduleSummaries();
}

void ThrottledReports::Show(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    report_(line);
  }
}

void ThrottledReports::ScheduleSummaries() {
  const auto due = throttle_.NextDueMs();
  if (!due || timer_.isActive()) {
    return;
  }
  const std::uint64_t now = MonotonicMs();
  timer_.start(static_cast<int>(*due > now ? *due - now : 0));
}

}  // namespace vex::services
