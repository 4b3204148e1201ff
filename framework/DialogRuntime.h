#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class QEventLoop;
class QTimer;

namespace vex::fw {

class CDialog;

// The parts of a dialog that both back-ends share: work queued for the window thread, window
// timers and the modal loop. Lives as long as its CDialog.
class DialogRuntime : public std::enable_shared_from_this<DialogRuntime> {
 public:
  explicit DialogRuntime(CDialog& dialog);
  ~DialogRuntime();
  DialogRuntime(const DialogRuntime&) = delete;
  DialogRuntime& operator=(const DialogRuntime&) = delete;

  // Any thread. Tasks run in order on the window thread; those still queued when the dialog
  // goes away are dropped.
  void Post(std::function<void()> task);
  // Any thread but the window thread: queues the task and waits until it ran or was dropped.
  void Send(std::function<void()> task);
  // The dialog is being destroyed: nothing queued may reach it any more.
  void Detach();

  void SetTimer(int id, unsigned milliseconds);
  void KillTimer(int id);
  void KillAllTimers();

  // Runs events until EndModal; returns the result given to EndModal.
  int RunModalLoop();
  void EndModal(int result);
  void ClearEnd();
  bool Ended() const { return ended_; }
  bool ModalLoopRunning() const { return loop_ != nullptr; }

  std::string caption;
  int iconId = 0;
  bool visible = false;

 private:
  void Drain();

  CDialog* dialog_;
  std::mutex mutex_;
  std::vector<std::function<void()>> pending_;
  bool wakeQueued_ = false;
  std::map<int, std::unique_ptr<QTimer>> timers_;
  int timerDepth_ = 0;
  QEventLoop* loop_ = nullptr;
  bool ended_ = false;
  int result_ = 0;
};

}  // namespace vex::fw
