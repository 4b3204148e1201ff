#include "session/ConsoleLineQueue.h"

namespace vex {

void ConsoleLineQueue::Push(std::string_view line) {
  std::lock_guard guard(mutex_);
  lines_.emplace_back(line);
}

std::vector<std::string> ConsoleLineQueue::TakeAll() {
  std::vector<std::string> taken;
  std::lock_guard guard(mutex_);
  taken.swap(lines_);
  return taken;
}

void ConsoleLineQueue::Clear() {
  std::lock_guard guard(mutex_);
  lines_.clear();
}

bool ConsoleLineQueue::Empty() const {
  std::lock_guard guard(mutex_);
  return lines_.empty();
}

}  // namespace vex
