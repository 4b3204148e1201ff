#include "platform/ManualResetEvent.h"

#include <chrono>

namespace vex::platform {

void ManualResetEvent::Set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  signalled_.notify_all();
}

void ManualResetEvent::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool ManualResetEvent::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

bool ManualResetEvent::Wait(std::uint32_t milliseconds) {
  if (milliseconds == kInfinite) {
    std::unique_lock lock(mutex_);
    signalled_.wait(lock, [this] { return set_; });
    return true;
  }
  return WaitUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds));
}

bool ManualResetEvent::WaitUntil(std::chrono::steady_clock::time_point deadline) {
  // On the steady clock: a wall-clock change must not stretch or cut the wait.
  std::unique_lock lock(mutex_);
  return signalled_.wait_until(lock, deadline, [this] { return set_; });
}

}  // namespace vex::platform
