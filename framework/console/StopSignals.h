#pragma once

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

class QSocketNotifier;

namespace vex::fw {

// Turns stop signals (SIGINT and SIGTERM unless told others) into calls on the window thread, one
// a signal. The handler only writes a byte to a pipe that the event loop watches, and stays in
// force: a second signal reaches the program too, which ends at once if its stop is still waiting
// for the engine (the event loop runs during that wait).
class StopSignals {
 public:
  explicit StopSignals(std::function<void()> onStop,
                       std::initializer_list<int> numbers = {SIGINT, SIGTERM});
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  bool Installed() const { return notifier_ != nullptr; }

  // Calls `handler` on the window thread at every `number` (SIGUSR1 reopens the log file). Unlike
  // a stop signal it keeps its handler: the tenth one is as harmless as the first.
  void Repeat(int number, std::function<void()> handler);

  // The event loop takes a stop signal within moments while it runs; one that it has not taken
  // after kTakeGraceMs finds the window thread held up (a call into the engine that does not
  // return). Then `onUntaken` runs on a thread of its own with the number of stop signals
  // received so far, once for each signal left untaken.
  void WhenUntaken(std::function<void(int received)> onUntaken);

  static constexpr int kTakeGraceMs = 1000;

 private:
  void Drain();
  void Watch();

  std::function<void()> onStop_;
  std::vector<std::pair<int, std::function<void()>>> repeated_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::vector<std::pair<int, struct sigaction>> previous_;
  std::function<void(int)> onUntaken_;
  std::mutex takenMutex_;
  std::condition_variable taken_;
  std::atomic<bool> ending_{false};
  std::thread watcher_;
};

}  // namespace vex::fw
