#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

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

  // For a thread that must not wait on a holder that may never let go. It polls instead of
  // using a timed mutex: ThreadSanitizer does not see a timed mutex's lock
  // (pthread_mutex_clocklock) and would report every unlock after it.
  bool TryLockFor(std::uint32_t milliseconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!mutex_.try_lock()) {
      if (std::chrono::steady_clock::now() >= deadline) {
        return false;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
  }

 private:
  std::recursive_mutex mutex_;
};

}  // namespace vex::platform
