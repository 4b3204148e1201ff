#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

#include "platform/JournalStream.h"
#include "session/FrameTimings.h"
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
  virtual void PrintConsoleLine(std::string_view text,
                                platform::Severity severity = platform::Severity::Info) = 0;

  // What the window keeps for its own display.
  virtual const StatusDisplay& Display() const = 0;
  virtual std::uint32_t TotalPlayers() const = 0;
  virtual std::uint64_t FramesRun() const = 0;
  // The longest engine frame since the last call, in microseconds.
  virtual std::uint32_t TakeSlowestFrameUs() = 0;
  // How long frames take and how late they start; read without the session lock.
  virtual const FrameTimings& Timings() const = 0;
  // An engine runs frames: the session started and no engine error stopped it.
  virtual bool EngineRunning() const = 0;
  // The game port's dropped datagrams, from an engine that reports them.
  virtual std::optional<std::uint64_t> DroppedDatagrams() const = 0;

 protected:
  ~IAdminWindow() = default;
};

}  // namespace vex
