#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vex::fw {

class CDialog;

enum class FrontEnd { Window, Console };

// The window front-end needs Qt Widgets in the build and a display (DISPLAY or WAYLAND_DISPLAY);
// everything else runs the console one.
bool WindowFrontEndBuilt();
FrontEnd ChooseFrontEnd(bool forceConsole);
// The same rule on given facts: whether Qt Widgets is built in and the two display variables
// (empty when unset).
FrontEnd ChooseFrontEnd(bool forceConsole, bool windowBuilt, std::string_view display,
                        std::string_view waylandDisplay);

// The one application object: owns the chosen back-end and its event loop for the process.
class CWinApp {
 public:
  explicit CWinApp(std::string appName);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Starts the back-end, then InitInstance and, if it returned true, Run; returns Run's result.
  int Start(int argc, char** argv, FrontEnd frontEnd);
  // Starts the back-end only (tests drive dialogs themselves); Stop ends it.
  void StartBackEnd(int argc, char** argv, FrontEnd frontEnd);
  void StopBackEnd();

  const std::string& AppName() const { return appName_; }
  FrontEnd ActiveFrontEnd() const { return frontEnd_; }
  CDialog* MainWindow() const { return mainWindow_; }
  void SetMainWindow(CDialog* window) { mainWindow_ = window; }

  // SIGUSR1, on the window thread: a log rotation asks for the log file to be opened again.
  virtual void OnReopenSignal() {}
  // The process ends at once after this (the display is gone): no destructor runs, so what must
  // still reach a file is written now.
  virtual void OnAbruptEnd() {}
  // A stop signal that the window thread has not taken in time: it is held up in a call that
  // does not return, with no event loop running. Runs on a thread of its own, so it may touch
  // only what is safe from there; `received` counts the stop signals so far. By default the
  // second one ends the process with exit code 1.
  virtual void OnStopSignalUntaken(int received);

 protected:
  virtual bool InitInstance();
  virtual int Run();

 private:
  std::string appName_;
  FrontEnd frontEnd_ = FrontEnd::Console;
  CDialog* mainWindow_ = nullptr;
};

CWinApp* AfxGetApp();

// Writes text to the terminal the console back-end talks to (standard output); the window
// back-end writes there too, so that a server run from a shell keeps a log. Line feeds end lines;
// every other control byte is shown as an escape. Never blocks: a reader that stalls loses
// output, and is told how much once it reads again.
void TerminalWrite(std::string_view text);
// Bytes of a line editor's drawing, as they are (no style, no time, control bytes kept), through
// the same never-blocking output, so that they keep their order with the lines.
void TerminalWriteDrawing(std::string_view bytes);
// Text for standard error, as it is, through an output of its own that never blocks either.
void ErrorWrite(std::string_view text);
// While a line editor owns the terminal's last line, output goes above it: Hide before, Show after.
struct TerminalLineKeeper {
  std::function<void()> Hide;
  std::function<void()> Show;
};
void SetTerminalLineKeeper(TerminalLineKeeper keeper);
// Waits up to the given time for terminal output (and standard error) still held for a slow
// reader.
void FlushTerminal(std::uint32_t milliseconds);
// Terminal lines that a stalled reader did not take, since the start.
std::uint64_t TerminalLinesDropped();

// Runs the window thread's pending events for up to the given time (tests).
void PumpEvents(int milliseconds);

}  // namespace vex::fw
