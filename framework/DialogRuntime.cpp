#include "framework/DialogRuntime.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <condition_variable>

#include "framework/Dialog.h"

namespace vex::fw {
namespace {

struct SendState {
  std::mutex mutex;
  std::condition_variable ready;
  bool done = false;
};

// Travels inside the queued task: when the last copy of the task goes away (it ran, or the
// dialog's queue dropped it), the sending thread is released.
class SendCompletion {
 public:
  explicit SendCompletion(std::shared_ptr<SendState> state) : state_(std::move(state)) {}
  ~SendCompletion() {
    std::lock_guard lock(state_->mutex);
    state_->done = true;
    state_->ready.notify_all();
  }
  SendCompletion(const SendCompletion&) = delete;
  SendCompletion& operator=(const SendCompletion&) = delete;

 private:
  std::shared_ptr<SendState> state_;
};

}  // namespace

DialogRuntime::DialogRuntime(CDialog& dialog) : dialog_(&dialog) {}

DialogRuntime::~DialogRuntime() = default;

void DialogRuntime::Post(std::function<void()> task) {
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    if (dialog_ == nullptr) {
      return;
    }
    pending_.push_back(std::move(task));
    wake = !wakeQueued_;
    wakeQueued_ = true;
  }
  QCoreApplication* app = QCoreApplication::instance();
  if (wake && app != nullptr) {
    QMetaObject::invokeMethod(
        app,
        [weak = weak_from_this()] {
          if (auto self = weak.lock()) {
            self->Drain();
          }
        },
        Qt::QueuedConnection);
  }
}

void DialogRuntime::Send(std::function<void()> task) {
  auto state = std::make_shared<SendState>();
  Post([task = std::move(task), completion = std::make_shared<SendCompletion>(state)] { task(); });
  std::unique_lock lock(state->mutex);
  state->ready.wait(lock, [&] { return state->done; });
}

void DialogRuntime::Drain() {
  std::vector<std::function<void()>> batch;
  {
    std::lock_guard lock(mutex_);
    batch.swap(pending_);
    wakeQueued_ = false;
  }
  for (auto& task : batch) {
    if (dialog_ != nullptr) {
      task();
    }
    task = nullptr;
  }
}

void DialogRuntime::Detach() {
  std::vector<std::function<void()>> dropped;
  {
    std::lock_guard lock(mutex_);
    dialog_ = nullptr;
    dropped.swap(pending_);
  }
  KillAllTimers();
  if (loop_ != nullptr) {
    loop_->exit();
  }
}

void DialogRuntime::SetTimer(int id, unsigned milliseconds) {
  auto& timer = timers_[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [this, id] {
      if (dialog_ != nullptr) {
        ++timerDepth_;
        dialog_->DispatchTimer(id);
        --timerDepth_;
      }
    });
  }
  // Setting a running timer again restarts it with the new period, as window timers do.
  timer->start(static_cast<int>(std::min<unsigned>(milliseconds, 0x7FFFFFFF)));
}

void DialogRuntime::KillTimer(int id) {
  auto it = timers_.find(id);
  if (it != timers_.end()) {
    it->second->stop();
    if (timerDepth_ > 0) {
      // The timer may be the one whose handler is running now; Qt deletes it afterwards.
      it->second.release()->deleteLater();
    }
    timers_.erase(it);
  }
}

void DialogRuntime::KillAllTimers() {
  while (!timers_.empty()) {
    KillTimer(timers_.begin()->first);
  }
}

int DialogRuntime::RunModalLoop() {
  if (ended_) {
    return result_;
  }
  QEventLoop loop;
  QEventLoop* outer = loop_;
  loop_ = &loop;
  loop.exec();
  loop_ = outer;
  return result_;
}

void DialogRuntime::EndModal(int result) {
  ended_ = true;
  result_ = result;
  if (loop_ != nullptr) {
    loop_->exit();
  }
}

void DialogRuntime::ClearEnd() {
  ended_ = false;
  result_ = 0;
}

}  // namespace vex::fw
