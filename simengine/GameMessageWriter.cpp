#include "simengine/GameMessageWriter.h"

#include "engine/GameMessageType.h"

namespace vex::sim {

namespace {

std::string Begin(GameMessageType type) {
  return std::string(1, static_cast<char>(type));
}

std::string WithNumber(GameMessageType type, std::int64_t number) {
  std::string message = Begin(type);
  message += std::to_string(number);
  return message;
}

// The reader takes a name as one line of at most 29 bytes, so a newline or a zero inside the
// name would end it early and shift every later field.
void AppendName(std::string& message, std::string_view name) {
  name = name.substr(0, kMaxNameBytes);
  for (char c : name) {
    message += (c == '\n' || c == '\0') ? ' ' : c;
  }
  message += '\n';
}

}  // namespace

std::string PlayerAddedMessage(std::int32_t clientId, bool bot) {
  std::string message = WithNumber(GameMessageType::PlayerAdded, clientId);
  if (bot) {
    message += " B";
  }
  return message;
}

std::string PlayerRemovedMessage(std::int32_t clientId) {
  return WithNumber(GameMessageType::PlayerRemoved, clientId);
}

std::string PlayerStatsMessage(std::span<const SimPlayer> players, std::int32_t protectedId) {
  std::string message = Begin(GameMessageType::PlayerStats);
  for (const SimPlayer& player : players) {
    message += std::to_string(player.Id);
    message += ' ';
    AppendName(message, player.Name);
    message += std::to_string(player.Kills) + ' ' + std::to_string(player.Score) + ' ' +
               std::to_string(player.Lives) + ' ';
    message += static_cast<char>(player.Kind & 3);
    message += static_cast<char>(player.Ringed != 0 ? 1 : 0);
    message += ' ' + std::to_string(protectedId) + ' ';
  }
  message += "-1";
  return message;
}

std::string LevelUnloadedMessage() {
  return Begin(GameMessageType::LevelUnloaded);
}

std::string LevelStartedMessage(int levelIndex) {
  return WithNumber(GameMessageType::LevelStarted, levelIndex);
}

std::string ConsoleLineMessage(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  text = text.substr(0, kMaxConsoleLineBytes);
  std::string message = Begin(GameMessageType::ConsoleLine);
  message += text;
  message += '\0';
  return message;
}

}  // namespace vex::sim
