#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace vex::fw {

// Output that never blocks its caller, whoever reads the other end: a write goes out only as far
// as the descriptor takes it at once, and the rest is held for later writes. Beyond `capacity`
// held bytes new output is dropped until the reader has caught up; then one line says how many
// lines were lost. A reader that has gone (a broken pipe) only ends the output.
class TerminalWriter {
 public:
  TerminalWriter(int fd, std::size_t capacity);
  TerminalWriter(const TerminalWriter&) = delete;
  TerminalWriter& operator=(const TerminalWriter&) = delete;

  void Write(std::string_view text);
  // Writes what is held as far as the reader takes it, waiting up to the given time for it to
  // take the rest (0 at every event-loop tick, longer at the end of the program).
  void Flush(std::uint32_t milliseconds);
  // Lines dropped since the start, whether their notice has gone out or not.
  std::uint64_t LinesDropped() const { return linesDroppedInAll_.load(std::memory_order_relaxed); }

 private:
  // Writes held output while the descriptor takes it, waiting up to `waitMs` for it to do so.
  void Push(int waitMs);
  void AddDroppedNotice();

  const int fd_;
  const std::size_t capacity_;
  std::mutex mutex_;
  std::string held_;
  std::uint64_t droppedLines_ = 0;
  std::atomic<std::uint64_t> linesDroppedInAll_{0};
  bool broken_ = false;
};

}  // namespace vex::fw
