#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "remote/RconPacket.h"

namespace vex::remote {
namespace {

std::string Int32(std::int64_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) {
    out.push_back(static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF));
  }
  return out;
}

// A packet whose size field says `size` whatever follows it.
std::string Framed(std::int64_t size, std::int32_t id, std::int32_t type, const std::string& rest) {
  return Int32(size) + Int32(id) + Int32(type) + rest;
}

TEST(RconReader, ReadsPacketsSplitAnywhereAndSeveralInOneRead) {
  const std::string stream = EncodeRconPacket(7, kRconAuth, "secret") +
                             EncodeRconPacket(8, kRconExecCommand, "status") +
                             EncodeRconPacket(9, kRconResponseValue, "");
  RconReader reader;
  std::vector<RconPacket> packets;
  for (char byte : stream) {
    reader.Feed(std::string(1, byte));
    while (auto packet = reader.Next()) {
      packets.push_back(*packet);
    }
  }
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[0].Id, 7);
  EXPECT_EQ(packets[0].Type, kRconAuth);
  EXPECT_EQ(packets[0].Body, "secret");
  EXPECT_EQ(packets[1].Body, "status");
  EXPECT_EQ(packets[2].Type, kRconResponseValue);
  EXPECT_EQ(packets[2].Body, "");

  RconReader together;
  together.Feed(stream);
  int count = 0;
  while (together.Next()) {
    ++count;
  }
  EXPECT_EQ(count, 3);
  EXPECT_EQ(together.Error(), RconReadError::None);
}

TEST(RconReader, BodyEndsAtItsZeroByteAndTheLargestPacketPasses) {
  RconReader reader;
  reader.Feed(Framed(10 + 5, 1, kRconExecCommand, std::string("ab\0cd", 5) + std::string(2, '\0')));
  const auto packet = reader.Next();
  ASSERT_TRUE(packet);
  EXPECT_EQ(packet->Body, "ab");

  reader.Feed(EncodeRconPacket(2, kRconExecCommand, std::string(kRconMaxBody, 'x')));
  const auto largest = reader.Next();
  ASSERT_TRUE(largest);
  EXPECT_EQ(largest->Body.size(), kRconMaxBody);
}

struct BadStream {
  std::string Name;
  std::string Bytes;
  RconReadError Error;
};

void PrintTo(const BadStream& row, std::ostream* out) {
  *out << row.Name;
}

class RconReaderRejects : public ::testing::TestWithParam<BadStream> {};

TEST_P(RconReaderRejects, StopsAtTheFirstFault) {
  RconReader reader;
  reader.Feed(GetParam().Bytes);
  EXPECT_FALSE(reader.Next());
  EXPECT_EQ(reader.Error(), GetParam().Error);
  // Nothing after a fault is read, even a good packet.
  reader.Feed(EncodeRconPacket(1, kRconAuth, "x"));
  EXPECT_FALSE(reader.Next());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RconReaderRejects,
    ::testing::Values(
        BadStream{"SizeBelowTen", Int32(9) + std::string(9, '\0'), RconReadError::BadLength},
        BadStream{"NegativeSize", Int32(-1), RconReadError::BadLength},
        BadStream{"SizeOneAboveTheLargest", Int32(4097), RconReadError::BodyTooLong},
        // Rejected from its four size bytes alone, before any body is buffered.
        BadStream{"TwoGigabyteSize", Int32(0x7FFFFFF0), RconReadError::BodyTooLong},
        BadStream{"LastByteNotZero", Framed(10, 1, kRconAuth, "ab"), RconReadError::Unterminated},
        BadStream{"UnknownType", Framed(10, 1, 5, std::string(2, '\0')),
                  RconReadError::UnknownType},
        BadStream{"AuthResponseTypeFromClientIsACommand", Framed(10, 1, 1, std::string(2, '\0')),
                  RconReadError::UnknownType}),
    [](const auto& row) { return row.param.Name; });

TEST(RconAnswer, EncodesLittleEndianWithTwoClosingZeros) {
  const std::string packet = EncodeRconPacket(0x01020304, kRconResponseValue, "hi");
  EXPECT_EQ(packet, Int32(12) + Int32(0x01020304) + Int32(0) + std::string("hi\0\0", 4));
}

// Every packet but the last is full, whatever the answer's line breaks and characters.
TEST(RconAnswer, FillsEveryPacketButTheLast) {
  std::string text;
  while (text.size() < 10000) {
    text += "l\xC3\xADne " + std::to_string(text.size()) + "\n";
  }
  const auto bodies = SplitRconAnswer(text);
  ASSERT_EQ(bodies.size(), 3u);
  std::string joined;
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    EXPECT_EQ(bodies[i].size(),
              i + 1 < bodies.size() ? kRconAnswerBody : text.size() % kRconAnswerBody);
    joined += bodies[i];
  }
  EXPECT_EQ(joined, text);

  EXPECT_EQ(SplitRconAnswer(std::string(kRconAnswerBody, 'x')).size(), 1u);
  const auto over = SplitRconAnswer(std::string(kRconAnswerBody + 1, 'x'));
  ASSERT_EQ(over.size(), 2u);
  EXPECT_EQ(over[1], "x");
  EXPECT_EQ(SplitRconAnswer(""), std::vector<std::string>{""});
}

}  // namespace
}  // namespace vex::remote
