#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Controls.h"

namespace vex::fw {

class IDialogHost;    // the back-end's window behind a dialog
class DialogRuntime;  // posted work, timers and the modal loop of a dialog

enum class Notification { ItemChanged, DoubleClick };

// Input that a dialog may swallow before any window sees it (the splash window does).
enum class InputEvent { KeyDown, SysKeyDown, MouseDown, NonClientMouseDown };

// Pushes plain members into controls (UpdateData(false)) or reads them back (UpdateData(true)).
class CDataExchange {
 public:
  CDataExchange(class CDialog& dialog, bool saveAndValidate)
      : dialog_(dialog), save_(saveAndValidate) {}
  bool Saving() const { return save_; }
  void Text(int controlId, std::string& value);
  void Number(int controlId, std::uint32_t& value);

 private:
  CDialog& dialog_;
  bool save_;
};

// A dialog built from a template of res/ and driven by the back-end's event loop on the window
// thread (the thread that created the application).
class CDialog {
 public:
  // A dialog with a parent opens over the parent's window; one without is a window of its own,
  // which no other window's state can disable (a dialog opened while others are open still holds
  // the operator's input until it ends).
  explicit CDialog(int templateId, CDialog* parent = nullptr);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Creates and shows the window, runs the event loop until EndDialog, and returns its result;
  // -1 when the window cannot be created.
  int DoModal();
  // Creates and shows the window without running a loop of its own (tests pump events).
  bool Create();
  void EndDialog(int result);
  bool IsModalLoopRunning() const;
  int TemplateId() const { return templateId_; }

  // Safe from any thread: queued to the window thread.
  void PostCommand(int id);
  void PostTask(std::function<void()> task);
  // Runs the command now on the window thread; from another thread, waits until it has run.
  void SendCommand(int id);
  bool IsWindowThread() const;

  void SetTimer(int id, unsigned milliseconds);
  void KillTimer(int id);
  void SetWindowText(std::string_view caption);
  std::string GetWindowText() const;
  void SetIcon(int iconResourceId);
  void ShowWindow(bool show);
  bool IsWindowVisible() const;
  void RedrawWindow();
  bool UpdateData(bool saveAndValidate = true);

  // The control with this id of the template; the program's templates always have it.
  CWnd& Item(int id) const;
  template <class T>
  T& Control(int id) const {
    return dynamic_cast<T&>(Item(id));
  }

  // Entry points for the back-end, which calls them on the window thread.
  void DispatchCommand(int id) { OnCommand(id); }
  void DispatchNotify(int controlId, Notification code) { OnNotify(controlId, code); }
  void DispatchTimer(int id) { OnTimer(id); }
  void DispatchShow(bool show) { OnShowWindow(show); }
  void DispatchSize(int width, int height) { OnSize(width, height); }
  bool DispatchInput(InputEvent event) { return PreTranslateInput(event); }
  void DispatchTerminalLine(const std::string& line) { OnTerminalLine(line); }
  bool DispatchTerminalLineThatCanWait(const std::string& line) { return TakeTerminalLine(line); }
  std::vector<std::string> DispatchCompletion(std::string_view before, std::string_view word) {
    return CompleteTerminalWord(before, word);
  }
  void DispatchDisplayLost() { OnDisplayLost(); }
  void DispatchStopSignal() { OnStopSignal(); }

 protected:
  virtual bool OnInitDialog();
  virtual void OnCommand(int id);  // IDOK runs OnOK, IDCANCEL runs OnCancel
  virtual void OnNotify(int controlId, Notification code);
  virtual void OnTimer(int id);
  virtual void OnShowWindow(bool show);
  // The window's client area changed size (pixels); the window back-end reports resizes.
  virtual void OnSize(int width, int height);
  virtual void OnOK();
  virtual void OnCancel();
  virtual bool PreTranslateInput(InputEvent event);  // true swallows the input
  virtual void DoDataExchange(CDataExchange& dx);
  // A line typed on standard input; only the console back-end delivers these.
  virtual void OnTerminalLine(const std::string& line);
  // The same from a reader that can keep the line (input that is not a terminal): false leaves it
  // with the reader, which offers it again a little later, before any other. By default every
  // line is taken by OnTerminalLine.
  virtual bool TakeTerminalLine(const std::string& line);
  // Words that may complete `word`, the last one being typed after `before` (Tab on a terminal).
  virtual std::vector<std::string> CompleteTerminalWord(std::string_view before,
                                                        std::string_view word);
  // The window back-end lost its display for good: nothing can be shown or answered any more,
  // and the process ends as soon as this returns.
  virtual void OnDisplayLost();
  // A stop signal (SIGINT, SIGTERM; SIGHUP on the console), from the event loop; by default the
  // cancel command.
  virtual void OnStopSignal();

 private:
  void DestroyWindowHost();

  int templateId_;
  CDialog* parent_;
  std::unique_ptr<IDialogHost> host_;
  std::shared_ptr<DialogRuntime> runtime_;
};

}  // namespace vex::fw
