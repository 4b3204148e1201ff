#include "framework/console/StopSignals.h"

#include <fcntl.h>
#include <semaphore.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>

namespace vex::fw {
namespace {

int pipeFds[2] = {-1, -1};

// Written by the handlers, so lock-free.
std::atomic<int> stopsReceived{0};
std::atomic<int> stopsUntaken{0};
static_assert(std::atomic<int>::is_always_lock_free);
// Posted by the handler at every stop signal while a watcher waits on it.
sem_t stopArrived;
std::atomic<bool> watching{false};

void WriteSignalByte(int number) {
  const auto byte = static_cast<unsigned char>(number);
  [[maybe_unused]] const ssize_t written = write(pipeFds[1], &byte, 1);
}

extern "C" void OnStopSignal(int number) {
  const int savedErrno = errno;
  stopsUntaken.fetch_add(1);
  stopsReceived.fetch_add(1);
  WriteSignalByte(number);
  if (watching.load()) {
    sem_post(&stopArrived);
  }
  errno = savedErrno;
}

extern "C" void OnRepeatedSignal(int number) {
  const int savedErrno = errno;
  WriteSignalByte(number);
  errno = savedErrno;
}

bool MakePipe() {
  if (pipe(pipeFds) != 0) {
    return false;
  }
  for (int fd : pipeFds) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  return true;
}

void Install(int number, void (*handler)(int), struct sigaction& previous) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(number, &action, &previous);
}

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop, std::initializer_list<int> numbers)
    : onStop_(std::move(onStop)) {
  if (pipeFds[0] != -1 || !MakePipe()) {
    return;  // one watcher per process
  }
  stopsReceived = 0;
  stopsUntaken = 0;
  for (int number : numbers) {
    struct sigaction previous {};
    Install(number, OnStopSignal, previous);
    previous_.emplace_back(number, previous);
  }
  notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Drain(); });
}

StopSignals::~StopSignals() {
  if (!notifier_) {
    return;
  }
  notifier_.reset();
  for (const auto& [number, previous] : previous_) {
    sigaction(number, &previous, nullptr);
  }
  if (watcher_.joinable()) {
    {
      std::lock_guard lock(takenMutex_);
      ending_ = true;
    }
    taken_.notify_all();
    sem_post(&stopArrived);
    watcher_.join();
    watching = false;
    sem_destroy(&stopArrived);
  }
  close(pipeFds[0]);
  close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

void StopSignals::Repeat(int number, std::function<void()> handler) {
  if (!notifier_) {
    return;
  }
  struct sigaction previous {};
  Install(number, OnRepeatedSignal, previous);
  previous_.emplace_back(number, previous);
  repeated_.emplace_back(number, std::move(handler));
}

void StopSignals::WhenUntaken(std::function<void(int received)> onUntaken) {
  if (!notifier_ || watcher_.joinable() || sem_init(&stopArrived, 0, 0) != 0) {
    return;
  }
  onUntaken_ = std::move(onUntaken);
  watcher_ = std::thread([this] { Watch(); });
  watching = true;
}

void StopSignals::Watch() {
  for (;;) {
    while (sem_wait(&stopArrived) != 0 && errno == EINTR) {
    }
    std::unique_lock lock(takenMutex_);
    const bool taken = taken_.wait_for(lock, std::chrono::milliseconds(kTakeGraceMs), [this] {
      return ending_.load() || stopsUntaken.load() <= 0;
    });
    if (ending_.load()) {
      return;
    }
    lock.unlock();
    if (!taken) {
      onUntaken_(stopsReceived.load());
    }
  }
}

void StopSignals::Drain() {
  unsigned char bytes[16];
  int stops = 0;
  std::vector<const std::function<void()>*> calls;
  ssize_t count = 0;
  while ((count = read(pipeFds[0], bytes, sizeof bytes)) > 0) {
    for (ssize_t i = 0; i < count; ++i) {
      const auto repeated =
          std::find_if(repeated_.begin(), repeated_.end(),
                       [&](const auto& entry) { return entry.first == bytes[i]; });
      if (repeated == repeated_.end()) {
        ++stops;
      } else {
        calls.push_back(&repeated->second);
      }
    }
  }
  {
    std::lock_guard lock(takenMutex_);
    stopsUntaken.fetch_sub(stops);
  }
  taken_.notify_all();
  for (const auto* call : calls) {
    (*call)();
  }
  for (; stops > 0; --stops) {
    onStop_();
  }
}

}  // namespace vex::fw
