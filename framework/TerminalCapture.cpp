#include "framework/TerminalCapture.h"

#include <algorithm>
#include <vector>

#include "framework/WindowThread.h"

namespace vex::fw {

namespace {

std::vector<TerminalCapture*>& OpenCaptures() {
  static std::vector<TerminalCapture*> captures;
  return captures;
}

}  // namespace

TerminalCapture::TerminalCapture(std::size_t limit) : limit_(limit) {
  OpenCaptures().push_back(this);
}

TerminalCapture::~TerminalCapture() {
  std::erase(OpenCaptures(), this);
}

void CaptureTerminalText(std::string_view text) {
  // Other threads write too (a report from the update thread); what they write belongs to no
  // command, and the list of captures is the window thread's alone.
  if (!OnWindowThread()) {
    return;
  }
  for (TerminalCapture* capture : OpenCaptures()) {
    const std::size_t room = capture->limit_ - std::min(capture->limit_, capture->text_.size());
    capture->text_.append(text.substr(0, room));
  }
}

}  // namespace vex::fw
