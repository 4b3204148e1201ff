#pragma once

#include <cstdint>

namespace vex::remote {

// What a remote service has done since it started, for the metrics.
struct SignInCounts {
  std::uint64_t Succeeded = 0;
  std::uint64_t Failed = 0;
};

struct QueryCounts {
  std::uint64_t Answered = 0;
  std::uint64_t Refused = 0;  // over the rate, not the protocol, or past a turn's share
};

}  // namespace vex::remote
