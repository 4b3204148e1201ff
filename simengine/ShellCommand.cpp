#include "simengine/ShellCommand.h"

#include <algorithm>

namespace vex::sim {

namespace {

constexpr std::uint8_t kNewline = 10;
// Any index with this many digits is already far outside a list of at most 20 levels.
constexpr std::size_t kMaxLevelDigits = 9;

std::optional<long long> ReadLevel(std::span<const std::uint8_t> arguments) {
  if (!arguments.empty() && arguments.front() == kNewline) {
    arguments = arguments.subspan(1);
  }
  bool negative = false;
  if (!arguments.empty() && arguments.front() == '-') {
    negative = true;
    arguments = arguments.subspan(1);
  }
  long long value = 0;
  std::size_t digits = 0;
  while (digits < arguments.size() && arguments[digits] >= '0' && arguments[digits] <= '9') {
    if (digits < kMaxLevelDigits) {
      value = value * 10 + (arguments[digits] - '0');
    }
    ++digits;
  }
  if (digits == 0) {
    return std::nullopt;
  }
  const bool ended =
      digits == arguments.size() || arguments[digits] == kNewline || arguments[digits] == 0;
  if (!ended) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::string ReadText(std::span<const std::uint8_t> arguments) {
  const auto end = std::find(arguments.begin(), arguments.end(), std::uint8_t{0});
  return std::string(arguments.begin(), end);
}

}  // namespace

std::optional<ShellCommand> ParseShellMessage(std::span<const std::uint8_t> bytes,
                                              std::string& error) {
  if (bytes.empty()) {
    error = "Empty shell message.";
    return std::nullopt;
  }
  const std::span<const std::uint8_t> arguments = bytes.subspan(1);
  ShellCommand command;
  switch (bytes.front()) {
    case 0:
      command.Type = ShellCommand::Kind::kStart;
      return command;
    case 1:
      command.Type = ShellCommand::Kind::kNextLevel;
      return command;
    case 2: {
      const std::optional<long long> level = ReadLevel(arguments);
      if (!level) {
        error = "Select-level message without a level number.";
        return std::nullopt;
      }
      command.Type = ShellCommand::Kind::kSelectLevel;
      command.Level = *level;
      return command;
    }
    case 3:
      command.Type = ShellCommand::Kind::kConsole;
      command.Text = ReadText(arguments);
      return command;
    default:
      error = "Unknown shell message id " + std::to_string(bytes.front()) + ".";
      return std::nullopt;
  }
}

}  // namespace vex::sim
