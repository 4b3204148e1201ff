#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "remote/AuthFailureBans.h"
#include "remote/SignInBudgets.h"

namespace vex::remote {

// The one way the remote services judge a secret that a peer offers: a banned address is refused
// and an attempt over its budget too, both before the secret is looked at; then the secret is
// compared, and a wrong one counts towards a ban. One gate per secret: the remote console and the
// web page share the password's, the metrics have the token's, so that a ban shuts an address out
// of the services whose secret it guessed and no more. Times are the caller's monotonic
// milliseconds.
class SignInGate {
 public:
  struct Limits {
    AuthFailureBans::Limits Bans;
    SignInBudgets::Limits Budgets;
  };
  enum class Verdict { SignedIn, Wrong, Banned, Busy };
  struct Attempt {
    std::string_view Service;  // names it on the console: "RCON", "Web page", "Metrics"
    std::string_view Address;  // numeric, without the port
    std::string_view Peer;     // address and port as the console shows them
    std::string_view Offered;
  };
  struct Outcome {
    Verdict Result = Verdict::Busy;
    // The console's line for a wrong secret, with the ban it brought; empty otherwise.
    std::string Report;
    bool BannedNow = false;  // this failure banned the address
  };

  // `secretName` is what is guessed: "password", "token".
  explicit SignInGate(std::string secretName, Limits limits = {});

  Outcome Try(const Attempt& attempt, std::string_view secret, std::uint64_t nowMs);
  bool IsBanned(std::string_view address, std::uint64_t nowMs) const;
  std::size_t BannedCount(std::uint64_t nowMs) const;

  // Why an attempt was refused unread, for the console: "address banned", "server busy".
  static std::string_view Reason(Verdict verdict);
  // The same for the peer, as a sentence.
  std::string Advice(Verdict verdict) const;

 private:
  std::string secretName_;
  Limits limits_;
  AuthFailureBans bans_;
  SignInBudgets budgets_;
};

}  // namespace vex::remote
