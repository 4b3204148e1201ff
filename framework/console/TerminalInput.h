#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace vex::fw {

// Cuts a byte stream into lines at line feeds; a carriage return before the feed is dropped. A
// line keeps its first kLongestLine bytes; the rest, up to its line feed, is dropped, so that
// input without line feeds cannot take the memory.
class LineSplitter {
 public:
  static constexpr std::size_t kLongestLine = 4096;

  std::vector<std::string> Feed(std::string_view bytes);
  // The end of the stream: a last line without a feed, if any.
  std::vector<std::string> Finish();
  // Lines cut so far; the reader says so once per cut line.
  std::uint64_t CutLines() const { return cutLines_; }

 private:
  std::string partial_;
  bool cutting_ = false;
  std::uint64_t cutLines_ = 0;
};

// Reads a file descriptor (standard input) as the event loop finds it readable and hands every
// line on. A line not taken (onLine returns false) is offered again a little later, and nothing is
// read meanwhile: what a pipe holds waits in the pipe. Its end only stops the reading.
class TerminalInput {
 public:
  TerminalInput(int fd, std::function<bool(const std::string&)> onLine);
  ~TerminalInput();
  TerminalInput(const TerminalInput&) = delete;
  TerminalInput& operator=(const TerminalInput&) = delete;

  bool Reading() const { return notifier_ != nullptr; }

 private:
  void ReadAvailable();
  void Deliver(std::vector<std::string> lines);
  void OfferHeld();

  int fd_;
  std::function<bool(const std::string&)> onLine_;
  LineSplitter splitter_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::deque<std::string> held_;  // read, not taken yet
  std::unique_ptr<QTimer> offerAgain_;
};

}  // namespace vex::fw
