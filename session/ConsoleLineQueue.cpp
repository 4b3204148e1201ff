#include "session/ConsoleLineQueue.h"

namespace vex {

void ConsoleLineQueue::Push(std::string_view line) {
  std::lock_guard guard(mutex_);
  lines_.push_back({std::string(line), QueuedLineKind::Text});
}

void ConsoleLineQueue::PushMark(QueuedLineKind mark) {
  std::lock_guard guard(mutex_);
  lines_.push_back({{}, mark});
}

std::vector<QueuedLine> ConsoleLineQueue::TakeAll() {
  std::vector<QueuedLine> taken;
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

std::size_t ConsoleLineQueue::Size() const {
  std::lock_guard guard(mutex_);
  return lines_.size();
}

std::vector<std::string> ConsoleLineQueue::TextsFrom(std::size_t index) const {
  std::vector<std::string> texts;
  std::lock_guard guard(mutex_);
  for (std::size_t i = index; i < lines_.size(); ++i) {
    if (lines_[i].Kind == QueuedLineKind::Text) {
      texts.push_back(lines_[i].Text);
    }
  }
  return texts;
}

}  // namespace vex
