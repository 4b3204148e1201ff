#include "framework/TerminalWriter.h"

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

}  // namespace

TerminalWriter::TerminalWriter(int fd, std::size_t capacity) : fd_(fd), capacity_(capacity) {}

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
    // A pipe that polls writable has room for PIPE_BUF bytes at least, so this write does not
    // wait for its reader.
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
