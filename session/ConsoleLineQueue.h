#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vex {

// What an entry of the queue is. An engine that can tell its console commands' output apart
// brackets it with the two marks, which carry no text.
enum class QueuedLineKind { Text, CommandStart, CommandEnd };

struct QueuedLine {
  std::string Text;
  QueuedLineKind Kind = QueuedLineKind::Text;

  bool operator==(const QueuedLine&) const = default;
};

// Console lines waiting for the window thread. Engine callbacks may arrive on any thread, with or
// without the session lock (start steps, ping queries), so the queue guards itself.
class ConsoleLineQueue {
 public:
  void Push(std::string_view line);
  void PushMark(QueuedLineKind mark);
  std::vector<QueuedLine> TakeAll();
  void Clear();
  bool Empty() const;
  std::size_t Size() const;
  // The texts of the entries from `index` on, without taking them.
  std::vector<std::string> TextsFrom(std::size_t index) const;

 private:
  mutable std::mutex mutex_;
  std::vector<QueuedLine> lines_;
};

}  // namespace vex
