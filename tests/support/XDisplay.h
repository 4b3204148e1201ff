#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "res/SplashPicture.h"
#include "tests/support/ChildProcess.h"

namespace vex::test {

// An X server of a test's own: Xvfb on a display number that it picks itself (-displayfd), so
// that tests running at the same time and other X servers of the machine never meet. The
// operator's hands are xdotool's real pointer and key events; the eyes are screenshots.
class XDisplay {
 public:
  struct Geometry {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
  };

  static constexpr int kScreenWidth = 1280;
  static constexpr int kScreenHeight = 1024;

  XDisplay();
  ~XDisplay();
  XDisplay(const XDisplay&) = delete;
  XDisplay& operator=(const XDisplay&) = delete;

  // Empty when Xvfb could not be started; Failure() then says why.
  const std::string& Name() const { return name_; }
  const std::string& Failure() const { return failure_; }
  // What a program needs to open its windows here rather than anywhere else.
  std::vector<std::string> Environment() const;
  // Ends the X server as a shutdown does (SIGTERM) and waits for it.
  void End();
  // A small window manager (evilwm) that places each new window itself and frames it, as a
  // desktop's does, a moment after the program showed it; false when none took the screen.
  bool StartWindowManager();

  // The first visible window titled exactly `title` other than `except` (or those listed); 0 when
  // none appears in time.
  unsigned long WaitForWindow(const std::string& title, unsigned long except = 0,
                              std::chrono::seconds limit = std::chrono::seconds(30));
  unsigned long WaitForWindow(const std::string& title, const std::vector<unsigned long>& except,
                              std::chrono::seconds limit = std::chrono::seconds(30));
  // Waits until the window has the keyboard focus, which Qt gives a window it shows only once it
  // learns that the window is mapped; false when that does not happen in time.
  bool WaitForFocus(unsigned long window, std::chrono::seconds limit = std::chrono::seconds(30));
  std::optional<Geometry> WindowGeometry(unsigned long window);
  // Waits until at least `count` visible windows are titled exactly `title` and returns them all;
  // fewer when time is up.
  std::vector<unsigned long> WaitForWindows(const std::string& title, std::size_t count,
                                            std::chrono::seconds limit = std::chrono::seconds(30));
  // Waits until no visible window is titled exactly `title`; false when one still is in time.
  bool WaitUntilNoWindow(const std::string& title,
                         std::chrono::seconds limit = std::chrono::seconds(30));
  // The top-level window under a point of the screen other than `except` (the pointer goes
  // there); 0 when none appears in time.
  unsigned long WaitForWindowAt(int x, int y, unsigned long except,
                                std::chrono::seconds limit = std::chrono::seconds(10));
  // Gives the window a new size, as the operator's dragging of its border does.
  bool Resize(unsigned long window, int width, int height);
  // Moves the pointer to a point of the window and clicks the left button there.
  bool Click(unsigned long window, int x, int y);
  // Moves the pointer to a point of the window and leaves it there (a tooltip shows).
  bool MovePointer(unsigned long window, int x, int y);
  // Types text or presses a key (xdotool's names: Return, Down, ...) into the focused window.
  bool Type(const std::string& text);
  bool Key(const std::string& key);
  // Saves the whole screen as a PNG file.
  bool Screenshot(const std::string& pngPath);
  // What the screen shows in a rectangle, whichever window drew it.
  std::optional<res::Picture> ScreenPixels(const Geometry& area);

 private:
  std::optional<std::string> Run(const std::string& program,
                                 const std::vector<std::string>& arguments);
  std::vector<unsigned long> WindowsTitled(const std::string& title);

  std::optional<ChildProcess> server_;
  std::optional<ChildProcess> windowManager_;
  std::string name_;
  std::string failure_;
};

// The full path of a program found on PATH, or empty.
std::string FindProgram(const std::string& name);

}  // namespace vex::test
