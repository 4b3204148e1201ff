#include "simengine/FaultSwitch.h"

#include <array>
#include <charconv>
#include <chrono>
#include <thread>
#include <utility>

namespace vex::sim {

namespace {

constexpr std::array<std::pair<std::string_view, FaultPoint>, 7> kStepFaults = {{
    {"create", FaultPoint::Create},
    {"attach", FaultPoint::Attach},
    {"archives", FaultPoint::Archives},
    {"service", FaultPoint::Service},
    {"gamecode", FaultPoint::GameCode},
    {"start", FaultPoint::Start},
    {"host", FaultPoint::Host},
}};

constexpr std::array<std::pair<std::string_view, FaultPoint>, 3> kFrameFaults = {{
    {"frame", FaultPoint::Frame},
    {"oom", FaultPoint::OutOfMemory},
    {"hang", FaultPoint::Hang},
}};

}  // namespace

std::optional<Fault> ParseFault(std::string_view text) {
  if (text.empty()) {
    return Fault{};
  }
  for (const auto& [name, point] : kStepFaults) {
    if (text == name) {
      return Fault{point, 0};
    }
  }
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view word = text.substr(0, colon);
  const std::string_view number = text.substr(colon + 1);
  // A call that never returns while the server starts (a frame log on a FIFO blocks the create
  // entry so).
  for (const auto& [name, point] : kStepFaults) {
    if (word == "hang" && number == name) {
      return Fault{point, 0, true};
    }
  }
  for (const auto& [name, point] : kFrameFaults) {
    if (word != name) {
      continue;
    }
    std::uint64_t frame = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), frame);
    if (error != std::errc() || end != number.data() + number.size() || frame == 0) {
      return std::nullopt;
    }
    return Fault{point, frame};
  }
  return std::nullopt;
}

void HangForever() {
  for (;;) {
    std::this_thread::sleep_for(std::chrono::hours(1));
  }
}

}  // namespace vex::sim
