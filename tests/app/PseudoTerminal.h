#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace vex::test {

// A program on the slave side of a pseudo-terminal opened here: it sees a real terminal on its
// standard streams, and the test types and reads what the screen gets.
class PseudoTerminal {
 public:
  static constexpr unsigned short kDefaultColumns = 160;

  PseudoTerminal(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingDirectory, const std::vector<std::string>& environment,
                 unsigned short columns = kDefaultColumns);
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  void Type(const std::string& keys);
  // Reads until what the screen got since `from` contains `text`; false when time is up.
  bool WaitFor(const std::string& text, std::size_t from = 0,
               std::chrono::milliseconds limit = std::chrono::seconds(20));
  int WaitForExit(std::chrono::milliseconds limit = std::chrono::seconds(20));
  // Waits for the exit while nobody reads the screen, as a terminal whose reader stalled.
  int WaitForExitUnread(std::chrono::milliseconds limit = std::chrono::seconds(20));
  void Signal(int number);
  const std::string& Screen() const { return screen_; }

 private:
  // Takes what the terminal has within the time; false when it had nothing.
  bool Read(std::chrono::milliseconds timeout);
  int AwaitExit(std::chrono::milliseconds limit, bool reading);

  pid_t pid_ = -1;
  int master_ = -1;
  std::string screen_;
};

}  // namespace vex::test
