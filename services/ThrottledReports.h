#pragma once

#include <QTimer>
#include <functional>
#include <string>
#include <string_view>

#include "remote/ReportThrottle.h"

namespace vex::services {

// The console lines of one service that peers can cause without signing in, through a
// remote::ReportThrottle, with each summary told when its second is over.
class ThrottledReports {
 public:
  ThrottledReports(std::string service, std::function<void(std::string_view)> report);

  void Report(std::string_view kind, std::string line);

 private:
  void Show(const std::vector<std::string>& lines);
  void ScheduleSummaries();

  std::function<void(std::string_view)> report_;
  remote::ReportThrottle throttle_;
  QTimer timer_;
};

}  // namespace vex::services
