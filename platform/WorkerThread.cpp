#include "platform/WorkerThread.h"

#include <system_error>
#include <utility>

namespace vex::platform {

WorkerThread::~WorkerThread() {
  if (WaitFor(0)) {
    return;
  }
  Abandon();
}

bool WorkerThread::Start(std::function<void()> body) {
  if (thread_.joinable() || !body) {
    return false;
  }
  auto ended = std::make_shared<ManualResetEvent>();
  try {
    thread_ = std::thread([ended, work = std::move(body)] {
      work();
      ended->Set();
    });
  } catch (const std::system_error&) {
    return false;
  }
  ended_ = std::move(ended);
  return true;
}

bool WorkerThread::WaitFor(std::uint32_t milliseconds) {
  if (!thread_.joinable()) {
    return true;
  }
  if (!ended_->Wait(milliseconds)) {
    return false;
  }
  thread_.join();
  ended_.reset();
  return true;
}

void WorkerThread::Abandon() {
  if (thread_.joinable()) {
    thread_.detach();
  }
  ended_.reset();
}

}  // namespace vex::platform
