#include "platform/ServiceNotifier.h"

#include <systemd/sd-daemon.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace vex::platform {

ServiceNotifier::ServiceNotifier() {
  const char* socket = std::getenv("NOTIFY_SOCKET");
  enabled_ = socket != nullptr && socket[0] != '\0';
  std::uint64_t microseconds = 0;
  if (enabled_ && sd_watchdog_enabled(0, &microseconds) > 0) {
    watchdogInterval_ = std::chrono::microseconds(microseconds);
  }
}

void ServiceNotifier::Send(std::string_view assignments) const {
  if (!enabled_) {
    return;
  }
  const std::string state(assignments);
  sd_notify(0, state.c_str());
}

}  // namespace vex::platform
