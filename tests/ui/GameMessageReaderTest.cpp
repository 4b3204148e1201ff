#include <gtest/gtest.h>

#include <string>

#include "ui/GameMessageReader.h"

namespace vex {
namespace {

constexpr std::int32_t kUntouched = 12345;

struct NumberCase {
  const char* Input;
  bool Ok;
  std::int32_t Value;  // kUntouched: nothing stored
  const char* Rest;    // what a raw read finds after the number
};

void PrintTo(const NumberCase& c, std::ostream* out) {
  *out << testing::PrintToString(std::string(c.Input));
}

class NumberReading : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberReading, ReadsValueAndStopsWhereTheNumberEnds) {
  const NumberCase& c = GetParam();
  GameMessageReader reader(c.Input);
  std::int32_t value = kUntouched;
  EXPECT_EQ(reader.Number(value), c.Ok);
  EXPECT_EQ(value, c.Value);
  if (c.Ok) {
    EXPECT_EQ(reader.Raw(100), c.Rest);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Bases, NumberReading,
    testing::Values(NumberCase{"42 x", true, 42, " x"}, NumberCase{" \t\r\n\v\f-17", true, -17, ""},
                    NumberCase{"+5", true, 5, ""}, NumberCase{"0x1F", true, 31, ""},
                    NumberCase{"0X1fz", true, 31, "z"}, NumberCase{"-0x10", true, -16, ""},
                    NumberCase{"017", true, 15, ""}, NumberCase{"08", true, 0, "8"},
                    NumberCase{"0", true, 0, ""}, NumberCase{"0xg", true, 0, "xg"},
                    NumberCase{"12ab", true, 12, "ab"}));

INSTANTIATE_TEST_SUITE_P(
    Limits, NumberReading,
    testing::Values(NumberCase{"2147483647", true, 2147483647, ""},
                    NumberCase{"-2147483648", true, -2147483647 - 1, ""},
                    NumberCase{"2147483648", false, 2147483647, ""},
                    NumberCase{"-2147483649", false, -2147483647 - 1, ""},
                    NumberCase{"0xFFFFFFFF", false, 2147483647, ""},
                    // Fifteen characters at most: the sixteenth digit stays for the next read.
                    NumberCase{"000000000000000042", true, 0, "042"},
                    NumberCase{"-12345678901234567", false, -2147483647 - 1, ""},
                    NumberCase{"1234567890123456", false, 2147483647, ""}));

INSTANTIATE_TEST_SUITE_P(Unreadable, NumberReading,
                         testing::Values(NumberCase{"", false, kUntouched, ""},
                                         NumberCase{"   ", false, kUntouched, ""},
                                         NumberCase{"abc", false, kUntouched, ""},
                                         NumberCase{"-", false, kUntouched, ""},
                                         NumberCase{"+x1", false, kUntouched, ""}));

TEST(GameMessageReader, FirstFailureFailsEveryLaterRead) {
  GameMessageReader reader("x 5\n");
  std::int32_t number = kUntouched;
  EXPECT_FALSE(reader.Number(number));
  std::uint8_t byte = 0;
  std::string line = "kept";
  EXPECT_FALSE(reader.Number(number));
  EXPECT_FALSE(reader.Code(byte));
  EXPECT_FALSE(reader.RawByte(byte));
  EXPECT_FALSE(reader.Line(line, 29));
  EXPECT_EQ(reader.Raw(10), "");
  EXPECT_EQ(number, kUntouched);
  EXPECT_EQ(line, "kept");
}

TEST(GameMessageReader, CodesSkipWhiteSpaceButRawBytesDoNot) {
  GameMessageReader reader(std::string_view(" \x01\t\x00 ", 5));
  std::uint8_t code = 9;
  ASSERT_TRUE(reader.Code(code));
  EXPECT_EQ(code, 1);
  ASSERT_TRUE(reader.RawByte(code));
  EXPECT_EQ(code, '\t');
  ASSERT_TRUE(reader.Code(code));
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(reader.Code(code));  // only white space is left
}

struct LineCase {
  const char* Input;
  const char* Line;
  const char* Rest;
};

void PrintTo(const LineCase& c, std::ostream* out) {
  *out << testing::PrintToString(std::string(c.Input));
}

class LineReading : public testing::TestWithParam<LineCase> {};

TEST_P(LineReading, KeepsAtMost29BytesAndConsumesTheNewline) {
  GameMessageReader reader(GetParam().Input);
  std::string line;
  ASSERT_TRUE(reader.Line(line, 29));
  EXPECT_EQ(line, GetParam().Line);
  EXPECT_EQ(reader.Raw(100), GetParam().Rest);
}

INSTANTIATE_TEST_SUITE_P(Lines, LineReading,
                         testing::Values(LineCase{"Ann\n5", "Ann", "5"}, LineCase{"\n5", "", "5"},
                                         LineCase{" spaced name \n", " spaced name ", ""},
                                         LineCase{"no newline", "no newline", ""},
                                         LineCase{"abcdefghijklmnopqrstuvwxyz123\n7",
                                                  "abcdefghijklmnopqrstuvwxyz123", "7"},
                                         LineCase{"abcdefghijklmnopqrstuvwxyz1234567890ABCD\n7",
                                                  "abcdefghijklmnopqrstuvwxyz123", "7"}));

TEST(GameMessageReader, LineAtTheEndFailsAndLeavesTheTextAlone) {
  GameMessageReader reader("");
  std::string line = "before";
  EXPECT_FALSE(reader.Line(line, 29));
  EXPECT_EQ(line, "before");
}

}  // namespace
}  // namespace vex
