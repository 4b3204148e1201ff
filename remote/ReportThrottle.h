#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vex::remote {

// Console lines that peers can cause without signing in, kept to one of each kind a second: the
// first is shown whole, the others of that second are counted and told in one line when the
// second is over ("RCON: 25 more closed connections in the last second."). A flood of peers then
// costs the console and the log two lines a second for each kind. Times are the caller's
// monotonic milliseconds.
class ReportThrottle {
 public:
  // `service` starts every line of this throttle: "RCON", "Web page".
  explicit ReportThrottle(std::string service) : service_(std::move(service)) {}

  // What to show now for a line of a kind ("closed connections"): the line itself, after the
  // summary of the kind's previous second when one is due; nothing when it is counted.
  std::vector<std::string> Offer(std::string_view kind, std::string line, std::uint64_t nowMs);
  // The summaries that are due.
  std::vector<std::string> Due(std::uint64_t nowMs);
  // When the next summary falls due; nothing while no line is counted.
  std::optional<std::uint64_t> NextDueMs() const;

 private:
  struct Window {
    std::uint64_t StartMs = 0;
    std::size_t Counted = 0;
  };
  static constexpr std::uint64_t kWindowMs = 1000;

  std::string Summary(const std::string& kind, const Window& window) const;

  std::string service_;
  std::map<std::string, Window, std::less<>> windows_;  // by kind: a few, named by the code
};

}  // namespace vex::remote
