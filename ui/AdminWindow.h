#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "ui/CommandOrigin.h"
#include "ui/StatusDisplay.h"

namespace vex {

// What remote administration needs from the status window. Every call comes on the window
// thread.
class IAdminWindow {
 public:
  // The one command path, as the window's own Send and the terminal use it.
  virtual void RunLine(std::string_view line, const CommandOrigin& origin,
                       CommandAnswer answer) = 0;
  // Runs the task later on the window thread's event loop, outside whatever handler runs now.
  virtual void Later(std::function<void()> task) = 0;
  // False once the window's event loop has ended (the server stops).
  virtual bool Serving() const = 0;
  virtual void PrintConsoleLine(std::string_view text) = 0;

  // What the window keeps for its own display.
  virtual const StatusDisplay& Display() const = 0;
  virtual std::uint32_t TotalPlayers() const = 0;
  virtual std::uint64_t FramesRun() const = 0;
  // The longest engine frame since the last call, in microseconds.
  virtual std::uint32_t TakeSlowestFrameUs() = 0;

 protected:
  ~IAdminWindow() = default;
};

}  // namespace vex
