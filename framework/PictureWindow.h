#pragma once

#include <functional>
#include <memory>

namespace vex::fw {

class CDialog;

// A borderless popup the size of a picture, centred over its owner (or the screen), that paints
// the picture pixel for pixel. The console back-end has none.
class PictureWindow {
 public:
  virtual ~PictureWindow() = default;

  // Null when the picture is unknown or the back-end shows no splash.
  static std::unique_ptr<PictureWindow> Create(int bitmapId, CDialog* owner);

  // A periodic timer of this window; the callback runs on the window thread.
  virtual void SetTimer(int id, unsigned milliseconds, std::function<void()> onTimer) = 0;
  // Paints the window at once (it is shown when created).
  virtual void UpdateWindow() = 0;
  // Closes the window and stops its timers; the object may be deleted afterwards.
  virtual void Destroy() = 0;
  virtual bool IsOpen() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};

}  // namespace vex::fw
