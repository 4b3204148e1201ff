#include "platform/RecursiveLock.h"

#include <chrono>

namespace vex::platform {

bool RecursiveLock::TakeIfFree(bool giveWayToWaiters) {
  const std::thread::id self = std::this_thread::get_id();
  if (depth_ > 0 && owner_ == self) {
    ++depth_;
    return true;
  }
  if (depth_ > 0 || (giveWayToWaiters && boundedWaiters_ > 0)) {
    return false;
  }
  owner_ = self;
  depth_ = 1;
  return true;
}

void RecursiveLock::lock() {
  std::unique_lock guard(mutex_);
  released_.wait(guard, [this] { return TakeIfFree(true); });
}

void RecursiveLock::unlock() {
  {
    std::lock_guard guard(mutex_);
    if (--depth_ > 0) {
      return;
    }
    owner_ = std::thread::id();
  }
  released_.notify_all();
}

bool RecursiveLock::try_lock() {
  std::lock_guard guard(mutex_);
  return TakeIfFree(false);
}

bool RecursiveLock::TryLockFor(std::uint32_t milliseconds) {
  return WaitFor(milliseconds, false);
}

bool RecursiveLock::TryLockOrWish(std::uint32_t milliseconds) {
  return WaitFor(milliseconds, true);
}

bool RecursiveLock::WaitFor(std::uint32_t milliseconds, bool leaveWish) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock guard(mutex_);
  ++boundedWaiters_;
  const bool taken = released_.wait_until(guard, deadline, [this] { return TakeIfFree(false); });
  // Given up only while another thread holds the lock: a thread in lock() is woken by its unlock.
  --boundedWaiters_;
  // A wish is served by a hold of the same kind only; the yielding thread sees it served when
  // this hold ends (unlock wakes it).
  const std::thread::id self = std::this_thread::get_id();
  if (leaveWish && !taken) {
    wisher_ = self;
  } else if (leaveWish && wisher_ == self) {
    wisher_ = std::thread::id();
  }
  return taken;
}

void RecursiveLock::YieldToWish(std::uint32_t milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock guard(mutex_);
  const std::thread::id self = std::this_thread::get_id();
  if (!released_.wait_until(guard, deadline, [this, self] {
        return wisher_ == std::thread::id() || wisher_ == self;
      })) {
    wisher_ = std::thread::id();
  }
}

void RecursiveLock::DropWish() {
  {
    std::lock_guard guard(mutex_);
    wisher_ = std::thread::id();
  }
  released_.notify_all();
}

}  // namespace vex::platform
