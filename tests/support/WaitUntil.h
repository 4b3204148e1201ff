#pragma once

#include <algorithm>
#include <chrono>
#include <thread>

namespace vex::test {

// Asks `done` until it holds or `limit` has passed, and between two questions lets `pause` spend
// up to `interval` of the time left (reading a process's output or a socket meanwhile, say);
// whether `done` held. `done` is asked once more after the last pause, so a wait that ends just
// as the condition comes true still sees it. An interval of 0 suits a `done` that waits itself
// (a read with a time-out of its own).
template <class Done, class Pause>
bool WaitUntil(Done done, std::chrono::milliseconds limit, std::chrono::milliseconds interval,
               Pause pause) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left <= std::chrono::milliseconds(0)) {
      return false;
    }
    pause(std::min(left, interval));
  }
  return true;
}

// The same, sleeping between two questions.
template <class Done>
bool WaitUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(3),
               std::chrono::milliseconds interval = std::chrono::milliseconds(5)) {
  return WaitUntil(done, limit, interval,
                   [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); });
}

}  // namespace vex::test
