#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "session/ShellMessages.h"

namespace vex {
namespace {

template <std::size_t N>
std::vector<std::uint8_t> Head(const std::array<std::uint8_t, N>& buffer, std::size_t count) {
  return {buffer.begin(), buffer.begin() + count};
}

template <std::size_t N>
bool ZeroFrom(const std::array<std::uint8_t, N>& buffer, std::size_t from) {
  return std::all_of(buffer.begin() + from, buffer.end(), [](std::uint8_t b) { return b == 0; });
}

TEST(ShellMessages, LevelMessagesCarryTheirIdNewlineAndDecimalIndex) {
  const auto start = MakeStartMessage();
  EXPECT_EQ(Head(start, 2), (std::vector<std::uint8_t>{0, 10}));
  EXPECT_TRUE(ZeroFrom(start, 2));

  const auto next = MakeNextLevelMessage();
  EXPECT_EQ(next.size(), 128u);
  EXPECT_EQ(Head(next, 2), (std::vector<std::uint8_t>{1, 10}));
  EXPECT_TRUE(ZeroFrom(next, 2));

  const auto twelve = MakeSelectLevelMessage(12);
  EXPECT_EQ(Head(twelve, 5), (std::vector<std::uint8_t>{2, 10, '1', '2', 10}));
  EXPECT_TRUE(ZeroFrom(twelve, 5));

  const auto first = MakeSelectLevelMessage(0);
  EXPECT_EQ(Head(first, 4), (std::vector<std::uint8_t>{2, 10, '0', 10}));
}

TEST(ShellMessages, ConsoleCommandIsIdTextZeroAndZeroFilled) {
  const auto message = MakeConsoleCommandMessage("map 2");
  EXPECT_EQ(message.size(), 256u);
  EXPECT_EQ(Head(message, 7), (std::vector<std::uint8_t>{3, 'm', 'a', 'p', ' ', '2', 0}));
  EXPECT_TRUE(ZeroFrom(message, 7));
}

TEST(ShellMessages, ConsoleCommandIsCutAt119Characters) {
  const auto message = MakeConsoleCommandMessage(std::string(300, 'x'));
  EXPECT_EQ(message[119], 'x');
  EXPECT_EQ(message[120], 0);
  EXPECT_TRUE(ZeroFrom(message, 120));
}

TEST(ShellMessages, ConsoleCommandCutLeavesOutACharacterItWouldSplit) {
  // "é" is two bytes, C3 A9: the 119th byte would be half of it.
  const auto message = MakeConsoleCommandMessage(std::string(118, 'x') + "\xC3\xA9 more");
  EXPECT_EQ(message[118], 'x');
  EXPECT_EQ(message[119], 0);
  EXPECT_TRUE(ZeroFrom(message, 119));
}

}  // namespace
}  // namespace vex
