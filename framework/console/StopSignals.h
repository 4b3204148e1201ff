#pragma once

#include <csignal>
#include <functional>
#include <initializer_list>
#include <memory>
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

 private:
  void Drain();

  std::function<void()> onStop_;
  std::vector<std::pair<int, std::function<void()>>> repeated_;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::vector<std::pair<int, struct sigaction>> previous_;
};

}  // namespace vex::fw
