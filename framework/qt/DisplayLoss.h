#pragma once

#include <functional>

namespace vex::fw {

// Qt's X11 platform ends the process with exit(1) from inside its event processing as soon as
// its connection to the X server breaks; static destructors then tear Qt down under the open
// windows while other threads still run, and the process dies of a segmentation fault. Qt warns
// just before, with everything still intact: there the watch runs onLost on the window thread
// and then ends the process itself with exit code 1, without static destructors.
class DisplayLossWatch {
 public:
  explicit DisplayLossWatch(std::function<void()> onLost);
  ~DisplayLossWatch();
  DisplayLossWatch(const DisplayLossWatch&) = delete;
  DisplayLossWatch& operator=(const DisplayLossWatch&) = delete;
};

// True from the moment the display is known to be gone: nothing can be shown any more.
bool DisplayLost();

}  // namespace vex::fw
