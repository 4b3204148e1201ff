#pragma once

#include <algorithm>
#include <string_view>

namespace vex::fw {

// The selection of an edit box as the edit-control operations set it.
struct EditSelection {
  int Start = 0;
  int End = 0;

  // A start of -1 removes the selection and leaves the caret where it was; an end of -1 is the
  // end of the text; both ends are kept inside the text.
  void Set(int start, int end, int length) {
    if (start == -1) {
      Start = End;
      return;
    }
    if (end == -1) {
      end = length;
    }
    start = std::clamp(start, 0, length);
    end = std::clamp(end, 0, length);
    Start = std::min(start, end);
    End = std::max(start, end);
  }

  void CollapseTo(int at) { Start = End = at; }

  // A console box echoes to the terminal only what is appended at its end, so that the terminal
  // follows the console's new lines and an edit inside the text prints nothing.
  bool AppendsAtEnd(int length, std::string_view text) const {
    return Start == length && !text.empty();
  }
};

}  // namespace vex::fw
