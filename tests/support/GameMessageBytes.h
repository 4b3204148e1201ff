#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vex::test {

// Game messages in the byte format the game code writes: a type byte, then its fields.
inline std::string Message(char type, std::string_view fields) {
  std::string message(1, type);
  message.append(fields);
  return message;
}
inline std::string PlayerAdded(std::int32_t id) {
  return Message('\0', std::to_string(id));
}
inline std::string PlayerRemoved(std::int32_t id) {
  return Message('\1', std::to_string(id));
}
inline std::string StatsRecord(std::int32_t id, const std::string& name, int kills, int score,
                               int lives, int kind, int ringed, std::int32_t protectedId) {
  return std::to_string(id) + " " + name + "\n" + std::to_string(kills) + " " +
         std::to_string(score) + " " + std::to_string(lives) + " " + static_cast<char>(kind) +
         static_cast<char>(ringed) + " " + std::to_string(protectedId) + " ";
}
inline std::string PlayerStats(const std::string& records) {
  return Message('\2', records + "-1");
}
inline std::string LevelUnloaded() {
  return Message('\3', "");
}
inline std::string LevelStarted(int level) {
  return Message('\4', std::to_string(level));
}
inline std::string ConsoleLine(const std::string& text) {
  return Message('\5', text + std::string(1, '\0'));
}

}  // namespace vex::test
