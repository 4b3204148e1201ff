#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "platform/ManualResetEvent.h"

namespace vex::platform {

// A thread that can be waited for with a time-out. One that does not end in time cannot be
// killed on Linux: it is abandoned (detached) instead.
class WorkerThread {
 public:
  WorkerThread() = default;
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // False when a thread is already held or the system refuses a new one.
  bool Start(std::function<void()> body);
  bool IsStarted() const { return thread_.joinable(); }
  // True when the body ended within the time; the thread is then joined and the object empty.
  // Also true when no thread is held.
  bool WaitFor(std::uint32_t milliseconds);
  void Abandon();

 private:
  std::thread thread_;
  // Shared with the thread so that an abandoned thread never touches a destroyed object.
  std::shared_ptr<ManualResetEvent> ended_;
};

}  // namespace vex::platform
