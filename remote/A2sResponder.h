#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "remote/A2sMessages.h"
#include "remote/QueryRateLimiter.h"

namespace vex::remote {

// Answers server queries. A query without the challenge that its source address was given gets
// only the challenge, no larger than the query itself, so a forged source cannot turn the server
// into an amplifier. Challenges need no memory: they are a keyed hash of the address and the
// current half-minute, and the previous half-minute's value still counts.
class A2sResponder {
 public:
  explicit A2sResponder(std::uint64_t secret,
                        QueryRateLimiter::Limits limits = QueryRateLimiter::Limits{});

  // The datagram to send back, or nothing for a malformed or over-the-rate query. The status is
  // asked for only when a proven query needs it.
  std::optional<std::string> Answer(std::string_view datagram, std::string_view address,
                                    std::uint64_t nowMs, const std::function<A2sStatus()>& status);

  std::uint32_t ChallengeFor(std::string_view address, std::uint64_t nowMs) const;

 private:
  std::uint32_t ChallengeAt(std::string_view address, std::uint64_t period) const;
  bool Proven(const A2sRequest& request, std::string_view address, std::uint64_t nowMs) const;

  std::uint64_t secret_;
  QueryRateLimiter limiter_;
};

}  // namespace vex::remote
