#include "remote/SignInGate.h"

#include "remote/SecretEqual.h"

namespace vex::remote {

namespace {

std::string Duration(std::uint64_t ms) {
  const std::uint64_t seconds = ms / 1000;
  if (seconds % 60 == 0 && seconds > 0) {
    return std::to_string(seconds / 60) + (seconds == 60 ? " minute" : " minutes");
  }
  return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace

SignInGate::SignInGate(std::string secretName, Limits limits)
    : secretName_(std::move(secretName)),
      limits_(limits),
      bans_(limits.Bans),
      budgets_(limits.Budgets) {}

SignInGate::Outcome SignInGate::Try(const Attempt& attempt, std::string_view secret,
                                    std::uint64_t nowMs) {
  if (bans_.IsBanned(attempt.Address, nowMs)) {
    return {Verdict::Banned, {}};
  }
  if (!budgets_.Take(attempt.Address, nowMs)) {
    return {Verdict::Busy, {}};
  }
  if (SecretsEqual(attempt.Offered, secret)) {
    budgets_.SignedIn(attempt.Address, nowMs);
    return {Verdict::SignedIn, {}};
  }
  std::string report = std::string(attempt.Service) + ": wrong " + secretName_ + " from " +
                       std::string(attempt.Peer) + ".";
  const bool banned = bans_.RecordFailure(attempt.Address, nowMs);
  if (banned) {
    report += " The address is banned for " + Duration(limits_.Bans.BanMs) + ".";
  }
  return {Verdict::Wrong, std::move(report), banned};
}

bool SignInGate::IsBanned(std::string_view address, std::uint64_t nowMs) const {
  return bans_.IsBanned(address, nowMs);
}

std::size_t SignInGate::BannedCount(std::uint64_t nowMs) const {
  return bans_.BannedCount(nowMs);
}

std::string_view SignInGate::Reason(Verdict verdict) {
  switch (verdict) {
    case Verdict::Banned:
      return "address banned";
    case Verdict::Busy:
      return "server busy with other sign-ins";
    case Verdict::Wrong:
      return "wrong secret";
    case Verdict::SignedIn:
      break;
  }
  return "signed in";
}

std::string SignInGate::Advice(Verdict verdict) const {
  switch (verdict) {
    case Verdict::Banned:
      return "Too many wrong " + secretName_ + "s from this address. Try again later.";
    case Verdict::Busy:
      return "The server is busy. Try again in a moment.";
    case Verdict::Wrong:
      return "Wrong " + secretName_ + ".";
    case Verdict::SignedIn:
      break;
  }
  return "Signed in.";
}

}  // namespace vex::remote
