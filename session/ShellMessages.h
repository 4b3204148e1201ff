#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vex {

// Byte messages to the game code. The whole buffer is always passed, so the unused tail is zero.
using StartMessage = std::array<std::uint8_t, 32>;
using LevelMessage = std::array<std::uint8_t, 128>;
using ConsoleCommandMessage = std::array<std::uint8_t, 256>;

inline constexpr std::size_t kMaxConsoleCommand = 119;

StartMessage MakeStartMessage();
LevelMessage MakeNextLevelMessage();
LevelMessage MakeSelectLevelMessage(int levelIndex);
// The command is cut to at most 119 bytes, leaving out a UTF-8 character that the cut would split
// (and at an embedded zero byte).
ConsoleCommandMessage MakeConsoleCommandMessage(std::string_view command);

}  // namespace vex
