#include "remote/A2sResponder.h"

namespace vex::remote {

namespace {

constexpr std::uint64_t kChallengePeriodMs = 30'000;

// SplitMix64's finaliser: every input bit reaches every output bit.
std::uint64_t Mix(std::uint64_t value) {
  value += 0x9E3779B97F4A7C15ull;
  value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
  value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
  return value ^ (value >> 31);
}

}  // namespace

A2sResponder::A2sResponder(std::uint64_t secret, QueryRateLimiter::Limits limits)
    : secret_(secret), limiter_(limits) {}

std::uint32_t A2sResponder::ChallengeAt(std::string_view address, std::uint64_t period) const {
  std::uint64_t state = Mix(secret_ ^ Mix(period));
  for (const char byte : address) {
    state = Mix(state ^ static_cast<unsigned char>(byte));
  }
  auto challenge = static_cast<std::uint32_t>(state >> 32);
  // All ones asks for a challenge, so it can never be one.
  return challenge == 0xFFFFFFFFu ? 0u : challenge;
}

std::uint32_t A2sResponder::ChallengeFor(std::string_view address, std::uint64_t nowMs) const {
  return ChallengeAt(address, nowMs / kChallengePeriodMs);
}

bool A2sResponder::Proven(const A2sRequest& request, std::string_view address,
                          std::uint64_t nowMs) const {
  if (!request.Challenge) {
    return false;
  }
  const std::uint64_t period = nowMs / kChallengePeriodMs;
  return *request.Challenge == ChallengeAt(address, period) ||
         (period > 0 && *request.Challenge == ChallengeAt(address, period - 1));
}

std::optional<std::string> A2sResponder::Answer(std::string_view datagram, std::string_view address,
                                                std::uint64_t nowMs,
                                                const std::function<A2sStatus()>& status) {
  const std::optional<A2sRequest> request = ParseA2sRequest(datagram);
  if (!request || !limiter_.Allow(address, nowMs)) {
    return std::nullopt;
  }
  if (!Proven(*request, address, nowMs)) {
    return BuildA2sChallenge(ChallengeFor(address, nowMs));
  }
  const A2sStatus current = status();
  switch (request->Kind) {
    case A2sKind::Info:
      return BuildA2sInfo(current);
    case A2sKind::Players:
      return BuildA2sPlayers(current);
    case A2sKind::Rules:
      return BuildA2sRules(current);
  }
  return std::nullopt;
}

}  // namespace vex::remote
