#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <string>

#include "platform/ByteWriter.h"

namespace vex::platform {
namespace {

TEST(ByteWriter, WritesBytesTextAndDecimals) {
  std::array<std::uint8_t, 32> buffer{};
  ByteWriter writer(buffer);
  EXPECT_TRUE(writer.PutByte(2));
  EXPECT_TRUE(writer.PutByte(10));
  EXPECT_TRUE(writer.PutDecimal(12));
  EXPECT_TRUE(writer.PutText("ab"));
  EXPECT_TRUE(writer.PutDecimal(-7));
  EXPECT_TRUE(writer.Ok());
  EXPECT_EQ(writer.Position(), 8u);
  const std::array<std::uint8_t, 9> expected{2, 10, '1', '2', 'a', 'b', '-', '7', 0};
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), buffer.begin()));
}

TEST(ByteWriter, FillsToTheLastByteExactly) {
  std::array<std::uint8_t, 4> buffer{};
  ByteWriter writer(buffer);
  EXPECT_TRUE(writer.PutText("abc"));
  EXPECT_TRUE(writer.PutByte('d'));
  EXPECT_TRUE(writer.Ok());
  EXPECT_EQ(writer.Position(), 4u);
  EXPECT_TRUE(writer.PutText(""));
  EXPECT_FALSE(writer.PutByte('e'));
  EXPECT_FALSE(writer.Ok());
  EXPECT_EQ(writer.Position(), 4u);
}

TEST(ByteWriter, RefusesWhatDoesNotFitAndRemembersIt) {
  struct Guarded {
    std::array<std::uint8_t, 6> data{};
    std::array<std::uint8_t, 4> guard{0xAA, 0xAA, 0xAA, 0xAA};
  } memory;
  ByteWriter writer(memory.data);
  EXPECT_TRUE(writer.PutText("abcd"));
  EXPECT_FALSE(writer.PutText("xyz"));
  EXPECT_FALSE(writer.Ok());
  EXPECT_EQ(writer.Position(), 4u);
  EXPECT_FALSE(writer.PutByte('e'));  // would fit, but the first error sticks
  EXPECT_FALSE(writer.PutDecimal(LLONG_MIN));
  EXPECT_EQ(std::string(memory.data.begin(), memory.data.end()), std::string("abcd\0\0", 6));
  EXPECT_EQ(memory.guard, (std::array<std::uint8_t, 4>{0xAA, 0xAA, 0xAA, 0xAA}));
}

TEST(ByteWriter, LongestDecimalFits) {
  std::array<std::uint8_t, 20> buffer{};
  ByteWriter writer(buffer);
  EXPECT_TRUE(writer.PutDecimal(LLONG_MIN));
  EXPECT_EQ(std::string(buffer.begin(), buffer.end()), "-9223372036854775808");
}

}  // namespace
}  // namespace vex::platform
