#pragma once

#include <chrono>
#include <string_view>

namespace vex::platform {

// The service manager's notification socket (systemd's NOTIFY_SOCKET). Without it every call
// does nothing, so a server started by hand or by another supervisor behaves as before.
class ServiceNotifier {
 public:
  ServiceNotifier();

  bool Enabled() const { return enabled_; }
  // The interval the service manager expects WATCHDOG=1 within; zero when it watches nothing.
  std::chrono::microseconds WatchdogInterval() const { return watchdogInterval_; }

  // One or more "NAME=value" assignments, one a line. The text is sent as it is, never used as a
  // format; a value that could hold a line feed must be made safe by the caller.
  void Send(std::string_view assignments) const;

 private:
  bool enabled_ = false;
  std::chrono::microseconds watchdogInterval_{0};
};

}  // namespace vex::platform
