#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/ServiceNotifier.h"

namespace vex {

// What the status window tells the service manager, and when: ready once the game is hosted,
// a status line at most once a second, watchdog pings only while engine frames advance (a hung
// frame or a stuck window thread lets the watchdog fire), and the start of a stop.
class ServiceStatus {
 public:
  using Clock = std::chrono::steady_clock;

  void Running();
  // From the window thread's refresh tick. `status` is any text (player and server names
  // included); `framesRun` counts the engine frames that have ended.
  void Refresh(const std::string& status, std::uint64_t framesRun, Clock::time_point now);
  // `engineWait` is the longest the stop may wait for the engine's thread.
  void StopBegins(std::chrono::milliseconds engineWait);

 private:
  platform::ServiceNotifier notifier_;
  bool ready_ = false;
  bool stopping_ = false;
  std::string lastStatus_;
  Clock::time_point lastStatusTime_{};
  std::uint64_t framesAtPing_ = 0;
  Clock::time_point lastPingTime_{};
};

}  // namespace vex
