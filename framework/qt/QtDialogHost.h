#pragma once

#include <QPointer>
#include <QWidget>
#include <map>
#include <memory>
#include <vector>

#include "framework/DialogHost.h"
#include "framework/qt/QtResources.h"
#include "res/DialogTemplates.h"

namespace vex::fw {

class CDialog;
class QtDialogHost;

// The top-level window of a dialog: Enter presses the default button, Escape and the close box
// send IDCANCEL (the dialog decides whether it closes), a resize moves the controls.
class DialogWindow final : public QWidget {
 public:
  DialogWindow(QtDialogHost& host, QWidget* owner);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QtDialogHost& host_;
};

// A dialog's real window with real widgets placed from the template's dialog units.
class QtDialogHost final : public IDialogHost {
 public:
  QtDialogHost(CDialog& dialog, const res::DialogTemplate& layout, QWidget* owner);
  ~QtDialogHost() override;
  QtDialogHost(const QtDialogHost&) = delete;
  QtDialogHost& operator=(const QtDialogHost&) = delete;

  CWnd* Item(int id) const override;
  void SetCaption(std::string_view caption) override;
  void SetIcon(int iconResourceId) override;
  void Show(bool show) override;
  bool IsVisible() const override;
  void Redraw() override;
  void FocusFirstControl() override;

  CDialog& Dialog() const { return dialog_; }
  QWidget* Window() const { return window_; }
  void PressDefaultButton();
  void PlaceControls();

  // The window of a dialog whose Qt window exists, or null.
  static QWidget* WindowOf(const CDialog* dialog);
  // Places a top-level window so that its frame is centred over another window's frame. Before
  // the window has shown, its frame is unknown and is taken to be as wide as the other's.
  static void CentreOver(QWidget& window, const QWidget& over);
  // A window just shown is placed by the window manager a moment later; a window centred over it
  // before then lands where it was asked to be, not where it is. Waits (running the event loop)
  // until the window is shown on screen, for a second at most; false when it is not by then.
  static bool AwaitPlacement(QWidget* window);
  // Places a top-level window in the middle of the screen it is on.
  static void CentreOnScreen(QWidget& window);
  // Centres a window that places itself as it shows (a message box) over `over` (if any) once it
  // shows: Qt guesses the frame of a window that has none yet, and misses the centre where no
  // window manager draws frames.
  static void CentreWhenShown(QWidget& window, QWidget* over);

 private:
  struct Placed {
    QWidget* Widget;
    const res::ControlTemplate* Layout;
  };

  // Pixels that a line at `units` dialog units moves when the window has grown.
  int Moved(int units, int base, int actual, std::span<const res::StretchSeam> seams) const;

  CDialog& dialog_;
  const res::DialogTemplate& layout_;
  DialogUnits units_;
  QPointer<DialogWindow> window_;
  QPointer<QWidget> owner_;
  // The window that was open below this one when it was made, if any; it takes no input while
  // this one is open.
  QPointer<QWidget> below_;
  std::map<int, std::unique_ptr<CWnd>> controls_;
  std::vector<std::unique_ptr<CWnd>> labels_;
  std::vector<Placed> placed_;
};

}  // namespace vex::fw
