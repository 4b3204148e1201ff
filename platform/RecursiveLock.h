#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace vex::platform {

// Re-entrant on purpose: the engine calls back into code that takes the same lock on the thread
// that already holds it, as a Windows critical section allows.
//
// Fair to a thread that waits with a time limit: while one waits, lock() gives way to it. The
// update thread takes the lock again at once after a frame of 33 ms or more; without this, the
// window thread would only ever get it by luck. A frame longer than the wait outlasts it, so such
// a thread may leave a wish that outlives its wait: the holder, between two holds, keeps the lock
// free until the wish is served. The state lives under a plain mutex and a condition variable
// rather than in a timed mutex, which ThreadSanitizer does not see (pthread_mutex_clocklock).
class RecursiveLock {
 public:
  RecursiveLock() = default;
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void lock();
  void unlock();
  // Takes the lock only if no other thread holds it; does not wait, and is not waited for.
  bool try_lock();
  // For a thread that must not wait on a holder that may never let go.
  bool TryLockFor(std::uint32_t milliseconds);
  // The same, for a thread that comes back for the lock: a wait that runs out leaves its wish
  // standing until this thread takes the lock here again (its other holds, taken for something
  // else, do not serve it).
  bool TryLockOrWish(std::uint32_t milliseconds);
  // Between two holds: while another thread's wish stands, leaves the lock to it until it has
  // taken it, or for at most the given time; a wish not taken in that time is dropped, as its
  // thread no longer comes for the lock.
  void YieldToWish(std::uint32_t milliseconds);
  // The wishing thread no longer wants the lock.
  void DropWish();

 private:
  // Under mutex_: takes the lock for the calling thread when it may.
  bool TakeIfFree(bool giveWayToWaiters);
  bool WaitFor(std::uint32_t milliseconds, bool leaveWish);

  std::mutex mutex_;
  std::condition_variable released_;
  std::thread::id owner_;
  std::uint32_t depth_ = 0;
  std::uint32_t boundedWaiters_ = 0;
  std::thread::id wisher_;
};

}  // namespace vex::platform
