#include "framework/console/StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>

namespace vex::fw {
namespace {

int pipeFds[2] = {-1, -1};

extern "C" void OnStopSignal(int number) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(number);
  [[maybe_unused]] const ssize_t written = write(pipeFds[1], &byte, 1);
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

}  // namespace

StopSignals::StopSignals(std::function<void()> onStop, std::initializer_list<int> numbers)
    : onStop_(std::move(onStop)) {
  if (pipeFds[0] != -1 || !MakePipe()) {
    return;  // one watcher per process
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : numbers) {
    struct sigaction previous {};
    sigaction(number, &action, &previous);
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
  close(pipeFds[0]);
  close(pipeFds[1]);
  pipeFds[0] = pipeFds[1] = -1;
}

void StopSignals::Repeat(int number, std::function<void()> handler) {
  if (!notifier_) {
    return;
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  struct sigaction previous {};
  sigaction(number, &action, &previous);
  previous_.emplace_back(number, previous);
  repeated_.emplace_back(number, std::move(handler));
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
  for (const auto* call : calls) {
    (*call)();
  }
  for (; stops > 0; --stops) {
    onStop_();
  }
}

}  // namespace vex::fw
