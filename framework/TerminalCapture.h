#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vex::fw {

// While one exists, a copy of what the window thread writes to the terminal (console lines and
// the answers of the terminal's own commands) collects in it, up to a bound; the writes
// themselves go on as before. Window thread only.
class TerminalCapture {
 public:
  explicit TerminalCapture(std::size_t limit);
  ~TerminalCapture();
  TerminalCapture(const TerminalCapture&) = delete;
  TerminalCapture& operator=(const TerminalCapture&) = delete;

  const std::string& Text() const { return text_; }

 private:
  friend void CaptureTerminalText(std::string_view text);
  std::size_t limit_;
  std::string text_;
};

// Called by the terminal writer for every write.
void CaptureTerminalText(std::string_view text);

}  // namespace vex::fw
