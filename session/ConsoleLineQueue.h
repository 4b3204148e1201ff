#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace vex {

// Console lines waiting for the window thread. Engine callbacks may arrive on any thread, with or
// without the session lock (start steps, ping queries), so the queue guards itself.
class ConsoleLineQueue {
 public:
  void Push(std::string_view line);
  std::vector<std::string> TakeAll();
  void Clear();
  bool Empty() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace vex
