#include <gtest/gtest.h>

#include <string>

#include "remote/AddressBlocks.h"
#include "remote/SignInBudgets.h"
#include "remote/SignInGate.h"

namespace vex::remote {
namespace {

constexpr std::uint64_t kSecond = 1000;

struct AddressCase {
  const char* Address;
  const char* Host;
  const char* Network;
};

TEST(AddressBlocks, HostsAndNetworksOfEachKindOfAddress) {
  const AddressCase cases[] = {
      {"192.0.2.7", "192.0.2.7", "192.0.2.0/24"},
      {"127.3.4.5", "127.3.4.5", "loopback"},
      {"::1", "::/64", "loopback"},
      {"2001:db8:1:2:3:4:5:6", "2001:db8:1:2::/64", "2001:db8:1::/48"},
      // A link-local peer arrives with its interface; the count leaves it out.
      {"fe80::1:2:3:4%eth0", "fe80::/64", "fe80::/48"},
      {"fe80::1:2:3:4", "fe80::/64", "fe80::/48"},
      {"no address", "no address", "no address"},
  };
  for (const AddressCase& row : cases) {
    EXPECT_EQ(HostGroup(row.Address), row.Host) << row.Address;
    EXPECT_EQ(NetworkBlock(row.Address), row.Network) << row.Address;
  }
}

// 20 at once and 10 a second after: what one network spends, no other network misses.
TEST(SignInBudgets, ACrowdSpendsOnlyTheBudgetOfItsOwnNetwork) {
  SignInBudgets budgets;
  int allowed = 0;
  for (int i = 0; i < 200; ++i) {
    allowed += budgets.Take("198.51.100." + std::to_string(i), kSecond) ? 1 : 0;
  }
  EXPECT_EQ(allowed, 20);
  EXPECT_FALSE(budgets.Take("198.51.100.250", kSecond + 50));
  EXPECT_TRUE(budgets.Take("198.51.100.250", kSecond + 100));
  EXPECT_TRUE(budgets.Take("198.51.101.1", kSecond));
  EXPECT_TRUE(budgets.Take("127.0.0.1", kSecond));
  EXPECT_TRUE(budgets.Take("2001:db8:1:2::1", kSecond));
  // Loopback is one network however many of its addresses are used.
  for (int i = 0; i < 200; ++i) {
    budgets.Take("127." + std::to_string(i) + ".0.1", kSecond);
  }
  EXPECT_FALSE(budgets.Take("::1", kSecond));
  // An IPv6 crowd spreads over /64s of one /48 in vain.
  for (int i = 0; i < 200; ++i) {
    budgets.Take("2001:db8:1:" + std::to_string(i) + "::1", kSecond);
  }
  EXPECT_FALSE(budgets.Take("2001:db8:1:ffff::1", kSecond));
  EXPECT_TRUE(budgets.Take("2001:db8:2::1", kSecond));
}

TEST(SignInBudgets, AHostThatSignedInLatelyKeepsABudgetOfItsOwn) {
  SignInBudgets::Limits limits;
  limits.TrustMs = 3600 * kSecond;
  SignInBudgets budgets(limits);
  budgets.SignedIn("127.0.0.1", 0);
  for (int i = 0; i < 100; ++i) {
    budgets.Take("127.0.0." + std::to_string(i + 2), kSecond);
  }
  EXPECT_FALSE(budgets.Take("127.0.0.200", kSecond));
  EXPECT_TRUE(budgets.Take("127.0.0.1", kSecond));
  // Its own budget is a budget still.
  int allowed = 1;
  while (budgets.Take("127.0.0.1", kSecond) && allowed < 100) {
    ++allowed;
  }
  EXPECT_EQ(allowed, 20);
  // Past the trust it pays with its network again.
  for (int i = 0; i < 100; ++i) {
    budgets.Take("127.0.0." + std::to_string(i + 2), 3602 * kSecond);
  }
  EXPECT_FALSE(budgets.Take("127.0.0.1", 3602 * kSecond));
}

SignInGate::Attempt From(const std::string& address, std::string_view offered) {
  static std::string peer;
  peer = address + ":4000";
  return {"RCON", address, peer, offered};
}

TEST(SignInGate, BannedAndBusyAttemptsAreRefusedUnreadAndNeverCountAsGuesses) {
  SignInGate gate("password");
  using Verdict = SignInGate::Verdict;
  // A crowd spends its network's budget with wrong guesses, four each, which ban no one.
  int refused = 0;
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i < 50; ++i) {
      const auto outcome = gate.Try(From("10.0.0." + std::to_string(i), "guess"), "pw", kSecond);
      refused += outcome.Result == Verdict::Busy ? 1 : 0;
      EXPECT_FALSE(outcome.BannedNow);
    }
  }
  EXPECT_EQ(refused, 180);
  // Busy, even with the right password; no wrong answer is given for what was not read.
  const auto busy = gate.Try(From("10.0.0.77", "pw"), "pw", kSecond);
  EXPECT_EQ(busy.Result, Verdict::Busy);
  EXPECT_EQ(busy.Report, "");
  EXPECT_EQ(gate.Advice(Verdict::Busy), "The server is busy. Try again in a moment.");
  // The operator elsewhere is not concerned, and once signed in has a budget of its own.
  EXPECT_EQ(gate.Try(From("10.0.1.5", "pw"), "pw", kSecond).Result, Verdict::SignedIn);

  // Five wrong guesses of one address within a minute ban it, in one wording.
  for (int i = 0; i < 4; ++i) {
    const auto outcome = gate.Try(From("10.0.2.1", "nope"), "pw", 10 * kSecond + i);
    EXPECT_EQ(outcome.Result, Verdict::Wrong);
    EXPECT_EQ(outcome.Report, "RCON: wrong password from 10.0.2.1:4000.");
  }
  const auto banning = gate.Try(From("10.0.2.1", "nope"), "pw", 11 * kSecond);
  EXPECT_TRUE(banning.BannedNow);
  EXPECT_EQ(banning.Report,
            "RCON: wrong password from 10.0.2.1:4000. The address is banned for 10 minutes.");
  EXPECT_EQ(gate.Try(From("10.0.2.1", "pw"), "pw", 12 * kSecond).Result, Verdict::Banned);
  EXPECT_EQ(gate.BannedCount(12 * kSecond), 1u);
  EXPECT_EQ(gate.Advice(Verdict::Banned),
            "Too many wrong passwords from this address. Try again later.");
}

}  // namespace
}  // namespace vex::remote
