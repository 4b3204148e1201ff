#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace vex::platform {

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFF;

// Stays signalled until Reset, releasing every waiter meanwhile.
class ManualResetEvent {
 public:
  ManualResetEvent() = default;
  ManualResetEvent(const ManualResetEvent&) = delete;
  ManualResetEvent& operator=(const ManualResetEvent&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  // True when signalled, false on time-out; 0 polls, kInfinite waits forever.
  bool Wait(std::uint32_t milliseconds);
  // True when signalled, false once the steady clock reaches `deadline`.
  bool WaitUntil(std::chrono::steady_clock::time_point deadline);

 private:
  mutable std::mutex mutex_;
  std::condition_variable signalled_;
  bool set_ = false;
};

}  // namespace vex::platform
