#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vex::sim {

// A message from the host to the game code: start, next level, select level, console text.
struct ShellCommand {
  enum class Kind { Start, NextLevel, SelectLevel, Console };
  Kind Type = Kind::Start;
  long long Level = 0;  // kSelectLevel; may lie outside the level list
  std::string Text;     // kConsole
};

// Reads a message buffer (id byte, then its arguments); nullopt with the reason for an empty
// buffer, an unknown id or a select message without a level number.
std::optional<ShellCommand> ParseShellMessage(std::span<const std::uint8_t> bytes,
                                              std::string& error);

}  // namespace vex::sim
