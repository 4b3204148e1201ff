#include "framework/TerminalWriter.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

namespace vex::fw {
namespace {

using Clock = std::chrono::steady_clock;

std::uint64_t LinesIn(std::string_view text) {
  const auto feeds = static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
  return std::max<std::uint64_t>(feeds, 1);
}

// A terminal's file description is shared with the shell and every program on the terminal, so
// it must stay blocking; the descriptor is pointed at a description of its own that never
// blocks, for every writer of the process (the line editor too). A pipe needs none: one that
// polls writable takes PIPE_BUF bytes at once.
void MakeTerminalNonBlocking(int fd) {
  char name[256];
  if (isatty(fd) != 1 || ttyname_r(fd, name, sizeof name) != 0) {
    return;
  }
  const int own = open(name, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (own < 0) {
    return;
  }
  dup2(own, fd);
  close(own);
}

}  // namespace

TerminalWriter::TerminalWriter(int fd, std::size_t capacity) : fd_(fd), capacity_(capacity) {
  MakeTerminalNonBlocking(fd_);
}

void TerminalWriter::Write(std::string_view text) {
  std::lock_guard lock(mutex_);
  if (broken_) {
    return;
  }
  Push(0);
  if (droppedLines_ > 0 && held_.empty()) {
    AddDroppedNotice();
  }
  if (droppedLines_ > 0 || held_.size() + text.size() > capacity_) {
    droppedLines_ += LinesIn(text);
    linesDroppedInAll_.fetch_add(LinesIn(text), std::memory_order_relaxed);
    return;
  }
  held_.append(text);
  Push(0);
}

void TerminalWriter::Flush(std::uint32_t milliseconds) {
  std::lock_guard lock(mutex_);
  const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (!broken_) {
    if (held_.empty() && droppedLines_ > 0) {
      AddDroppedNotice();
    }
    if (held_.empty()) {
      return;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    Push(static_cast<int>(std::max<decltype(left)>(left, 0)));
    if (left <= 0 && !held_.empty()) {
      return;
    }
  }
}

void TerminalWriter::AddDroppedNotice() {
  held_ += "[" + std::to_string(droppedLines_) +
           " lines of output were dropped: standard output was not being read.]\n";
  droppedLines_ = 0;
}

void TerminalWriter::Push(int waitMs) {
  while (!held_.empty()) {
    pollfd ready{fd_, POLLOUT, 0};
    const int polled = poll(&ready, 1, waitMs);
    if (polled < 0 && errno == EINTR) {
      continue;
    }
    if (polled <= 0) {
      return;
    }
    // A pipe that polls writable has room for PIPE_BUF bytes at least, and a terminal's own
    // description does not block, so this write does not wait for its reader.
    const std::size_t chunk = std::min<std::size_t>(held_.size(), PIPE_BUF);
    const ssize_t written = write(fd_, held_.data(), chunk);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written < 0 && errno == EAGAIN) {
      return;
    }
    if (written <= 0) {
      broken_ = true;
      held_.clear();
      droppedLines_ = 0;
      return;
    }
    held_.erase(0, static_cast<std::size_t>(written));
  }
}

}  // namespace vex::fw
