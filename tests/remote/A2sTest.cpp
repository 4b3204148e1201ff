#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "remote/A2sResponder.h"
#include "remote/A2sSplit.h"

namespace vex::remote {
namespace {

const std::string kHeader("\xFF\xFF\xFF\xFF", 4);
const std::string kInfo = kHeader + "T" + std::string("Source Engine Query\0", 20);

std::string Uint32(std::uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  }
  return out;
}

std::uint32_t ReadUint32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  }
  return value;
}

struct RequestCase {
  std::string Name;
  std::string Datagram;
  std::optional<A2sKind> Kind;  // absent: not a query
  std::optional<std::uint32_t> Challenge;
};

void PrintTo(const RequestCase& row, std::ostream* out) {
  *out << row.Name;
}

class A2sRequests : public ::testing::TestWithParam<RequestCase> {};

TEST_P(A2sRequests, Parse) {
  const auto request = ParseA2sRequest(GetParam().Datagram);
  ASSERT_EQ(request.has_value(), GetParam().Kind.has_value());
  if (request) {
    EXPECT_EQ(request->Kind, *GetParam().Kind);
    EXPECT_EQ(request->Challenge, GetParam().Challenge);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Datagrams, A2sRequests,
    ::testing::Values(
        RequestCase{"InfoWithoutChallenge", kInfo, A2sKind::Info, std::nullopt},
        RequestCase{"InfoWithChallenge", kInfo + Uint32(0x12345678), A2sKind::Info, 0x12345678u},
        RequestCase{"PlayersAskingForChallenge", kHeader + "U" + Uint32(0xFFFFFFFF),
                    A2sKind::Players, std::nullopt},
        RequestCase{"RulesWithChallenge", kHeader + "V" + Uint32(7), A2sKind::Rules, 7u},
        RequestCase{"InfoWithWrongText", kHeader + "T" + std::string("Other Query\0", 12),
                    std::nullopt, std::nullopt},
        RequestCase{"InfoWithShortChallenge", kInfo + "ab", std::nullopt, std::nullopt},
        RequestCase{"InfoWithBytesAfterChallenge", kInfo + Uint32(0x12345678) + "padding",
                    A2sKind::Info, 0x12345678u},
        RequestCase{"PlayersWithBytesAfterChallenge", kHeader + "U" + Uint32(7) + Uint32(0),
                    A2sKind::Players, 7u},
        RequestCase{"PlayersWithoutChallenge", kHeader + "U", std::nullopt, std::nullopt},
        RequestCase{"SplitHeader", std::string("\xFE\xFF\xFF\xFF", 4) + "U" + Uint32(1),
                    std::nullopt, std::nullopt},
        RequestCase{"UnknownKind", kHeader + "W" + Uint32(1), std::nullopt, std::nullopt},
        RequestCase{"Empty", "", std::nullopt, std::nullopt}),
    [](const auto& row) { return row.param.Name; });

A2sStatus SampleStatus() {
  A2sStatus status;
  status.Name = "Vex Deathmatch";
  status.Map = "Arena";
  status.Folder = "VexMod";
  status.Game = "Deathmatch";
  status.Version = "0.1.0";
  status.MaxPlayers = 16;
  status.GamePort = 27888;
  status.Players = {{"Ash", 20, 3.5f, false}, {"Brick", -5, 1.0f, true}};
  status.Rules = {{"FragLimit", "25"}};
  return status;
}

class A2sResponderTest : public ::testing::Test {
 protected:
  std::optional<std::string> Ask(const std::string& datagram, const std::string& address,
                                 std::uint64_t nowMs) {
    return responder_.Answer(datagram, address, nowMs, [this] {
      ++statusReads_;
      return SampleStatus();
    });
  }

  A2sResponder responder_{0x5EC2E7};
  int statusReads_ = 0;
};

TEST_F(A2sResponderTest, UnprovenQueriesGetOnlyAChallengeNoLargerThanThemselves) {
  for (const std::string& query :
       {kInfo, kHeader + "U" + Uint32(0xFFFFFFFF), kHeader + "V" + Uint32(12345)}) {
    const auto answer = Ask(query, "192.0.2.1", 1000);
    ASSERT_TRUE(answer);
    EXPECT_LE(answer->size(), query.size());
    EXPECT_EQ(answer->substr(0, 5), kHeader + "A");
  }
  EXPECT_EQ(statusReads_, 0);
}

TEST_F(A2sResponderTest, ProvenInfoCarriesTheStatus) {
  const auto challenge = Ask(kInfo, "192.0.2.1", 1000);
  ASSERT_TRUE(challenge);
  const auto info = Ask(kInfo + challenge->substr(5, 4), "192.0.2.1", 2000);
  ASSERT_TRUE(info);
  const std::string expected = kHeader + "I" + '\x11' + std::string("Vex Deathmatch\0Arena\0", 21) +
                               std::string("VexMod\0Deathmatch\0", 18) + std::string("\0\0", 2) +
                               '\x02' + '\x10' + '\x01' + "dl" + '\0' + '\0' +
                               std::string("0.1.0\0", 6) + '\x80' + Uint32(27888).substr(0, 2);
  EXPECT_EQ(*info, expected);
}

TEST_F(A2sResponderTest, PlayersAndRulesAnswers) {
  const std::string challenge = Uint32(responder_.ChallengeFor("192.0.2.1", 5000));
  const auto players = Ask(kHeader + "U" + challenge, "192.0.2.1", 5000);
  ASSERT_TRUE(players);
  float seconds = 3.5f;
  std::uint32_t secondsBits = 0;
  std::memcpy(&secondsBits, &seconds, 4);
  EXPECT_EQ(players->substr(0, 7), kHeader + "D" + '\x02' + '\0');
  EXPECT_EQ(players->substr(7, 4), "Ash" + std::string(1, '\0'));
  EXPECT_EQ(ReadUint32(*players, 11), 20u);
  EXPECT_EQ(ReadUint32(*players, 15), secondsBits);
  EXPECT_EQ(static_cast<std::int32_t>(ReadUint32(*players, 26)), -5);

  const auto rules = Ask(kHeader + "V" + challenge, "192.0.2.1", 5000);
  ASSERT_TRUE(rules);
  EXPECT_EQ(*rules, kHeader + "E" +
                        std::string("\x01\0FragLimit\0"
                                    "25\0",
                                    15));
}

TEST_F(A2sResponderTest, ChallengeHoldsForItsAddressAndAbout30Seconds) {
  const std::uint32_t given = responder_.ChallengeFor("192.0.2.1", 29'000);
  const std::string query = kHeader + "V" + Uint32(given);
  const auto isChallenge = [](const std::optional<std::string>& answer) {
    return answer && (*answer)[4] == 'A';
  };
  EXPECT_FALSE(isChallenge(Ask(query, "192.0.2.1", 31'000)));
  EXPECT_TRUE(isChallenge(Ask(query, "192.0.2.2", 31'000)));
  EXPECT_TRUE(isChallenge(Ask(query, "192.0.2.1", 61'000)));
}

TEST_F(A2sResponderTest, FloodFromOneAddressIsCutWhileOthersAreStillAnswered) {
  int answered = 0;
  for (int i = 0; i < 1000; ++i) {
    answered += Ask(kInfo, "192.0.2.9", 1000) ? 1 : 0;
  }
  EXPECT_LT(answered, 100);
  EXPECT_TRUE(Ask(kInfo, "198.51.100.7", 1000));
  EXPECT_TRUE(Ask(kInfo, "192.0.2.9", 4000));
}

TEST_F(A2sResponderTest, ForgedSourcesCannotExceedTheOverallRate) {
  int answered = 0;
  for (int i = 0; i < 20000; ++i) {
    answered +=
        Ask(kInfo, "10." + std::to_string(i / 256) + ".0." + std::to_string(i % 256), 1000) ? 1 : 0;
  }
  EXPECT_LE(answered, 2000);
}

TEST(A2sMessages, EveryPlayerUpTo255AndTextsStopAtZeroBytes) {
  A2sStatus status = SampleStatus();
  status.Players.assign(300, A2sPlayer{std::string(31, 'n'), 1, 1.0f});
  const std::string players = BuildA2sPlayers(status);
  EXPECT_LE(players.size(), kA2sMaxAnswer);
  EXPECT_EQ(static_cast<unsigned char>(players[5]), 255u);
  EXPECT_EQ(players.size(), 6 + 255 * (1 + 32 + 4 + 4));

  status.Name = std::string("Evil\0Name", 9);
  status.Map = std::string(5000, 'm');
  const std::string info = BuildA2sInfo(status);
  EXPECT_LE(info.size(), kA2sMaxDatagram);
  EXPECT_EQ(info.substr(6, 5), std::string("Evil\0", 5));

  status.Rules.assign(2000, {std::string(150, 'r'), std::string(150, 'v')});
  const std::string rules = BuildA2sRules(status);
  EXPECT_LE(rules.size(), kA2sMaxAnswer);
  EXPECT_GT(rules.size(), kA2sMaxAnswer - 2 * 151);
}

// An answer over one datagram goes in parts of the split form, which join to the answer.
TEST(A2sSplit, PartsCarryTheirHeaderAndJoinToTheAnswer) {
  std::string answer = std::string(
      "\xFF\xFF\xFF\xFF"
      "E",
      5);
  for (int i = 0; answer.size() < 3000; ++i) {
    answer += "rule" + std::to_string(i) + '\0' + "value" + '\0';
  }
  const auto parts = SplitA2sAnswer(answer, 0x80000007u);
  ASSERT_EQ(parts.size(), 3u);
  std::string joined;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    ASSERT_GT(part.size(), kA2sSplitHeader);
    EXPECT_LE(part.size(), kA2sMaxDatagram);
    // -2, the id without the top bit, the count, the number, the largest size.
    EXPECT_EQ(part.substr(0, 8), std::string("\xFE\xFF\xFF\xFF\x07\x00\x00\x00", 8));
    EXPECT_EQ(static_cast<unsigned char>(part[8]), 3u);
    EXPECT_EQ(static_cast<unsigned char>(part[9]), i);
    EXPECT_EQ(part.substr(10, 2), std::string("\x78\x05", 2));
    joined += part.substr(kA2sSplitHeader);
  }
  EXPECT_EQ(joined, answer);
  const std::string small(
      "\xFF\xFF\xFF\xFF"
      "D\0",
      7);
  EXPECT_EQ(SplitA2sAnswer(small, 1), std::vector<std::string>{small});
}

TEST(A2sMessages, LongTextsAreCutBetweenCharacters) {
  A2sStatus status = SampleStatus();
  // 199 bytes, then a two-byte character that the 200-byte field would split.
  status.Name = std::string(199, 'n') + "\xC3\xA9" + "tail";
  const std::string info = BuildA2sInfo(status);
  EXPECT_EQ(info.substr(6, 200), std::string(199, 'n') + '\0');
}

}  // namespace
}  // namespace vex::remote
