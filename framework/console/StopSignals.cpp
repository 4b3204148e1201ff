#include "framework/console/StopSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace vex::fw {
namespace {

int pipeFds[2] = {-1, -1};

extern "C" void OnStopSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
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
  action.sa_flags = SA_RESETHAND | SA_RESTART;
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

void StopSignals::Drain() {
  char bytes[16];
  bool stop = false;
  while (read(pipeFds[0], bytes, sizeof bytes) > 0) {
    stop = true;
  }
  if (stop) {
    onStop_();
  }
}

}  // namespace vex::fw
