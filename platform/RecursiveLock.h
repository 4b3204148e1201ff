#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

namespace vex::platform {

// Re-entrant on purpose: the engine calls back into code that takes the same lock on the thread
// that already holds it, as a Windows critical section allows.
class RecursiveLock {
 public:
  RecursiveLock() = default;
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }
  bool try_lock() { return mutex_.try_lock(); }
  // For a thread that must not wait on a holder that may never let go.
  bool TryLockFor(std::uint32_t milliseconds) {
    return mutex_.try_lock_for(std::chrono::milliseconds(milliseconds));
  }

 private:
  std::recursive_timed_mutex mutex_;
};

}  // namespace vex::platform
