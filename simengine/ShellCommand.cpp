#include "simengine/ShellCommand.h"

#include <algorithm>
#include <charconv>

namespace vex::sim {

namespace {

constexpr std::uint8_t kNewline = 10;

// The index as written, so that a refusal names it; one beyond 64 bits is no level number.
std::optional<long long> ReadLevel(std::span<const std::uint8_t> arguments) {
  if (!arguments.empty() && arguments.front() == kNewline) {
    arguments = arguments.subspan(1);
  }
  const auto* first = reinterpret_cast<const char*>(arguments.data());
  const auto* last = first + arguments.size();
  long long value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || (end != last && *end != kNewline && *end != 0)) {
    return std::nullopt;
  }
  return value;
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
      command.Type = ShellCommand::Kind::Start;
      return command;
    case 1:
      command.Type = ShellCommand::Kind::NextLevel;
      return command;
    case 2: {
      const std::optional<long long> level = ReadLevel(arguments);
      if (!level) {
        error = "Select-level message without a level number.";
        return std::nullopt;
      }
      command.Type = ShellCommand::Kind::SelectLevel;
      command.Level = *level;
      return command;
    }
    case 3:
      command.Type = ShellCommand::Kind::Console;
      command.Text = ReadText(arguments);
      return command;
    default:
      error = "Unknown shell message id " + std::to_string(bytes.front()) + ".";
      return std::nullopt;
  }
}

}  // namespace vex::sim
