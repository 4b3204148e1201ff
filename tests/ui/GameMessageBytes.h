#pragma once

#include <cstdint>
#include <string>

namespace vex::testing_support {

// Game messages in the byte format the game code writes.
inline std::string PlayerAdded(std::int32_t id) {
  return std::string(1, '\0') + std::to_string(id);
}
inline std::string PlayerRemoved(std::int32_t id) {
  return std::string(1, '\1') + std::to_string(id);
}
inline std::string StatsRecord(std::int32_t id, const std::string& name, int kills, int score,
                               int lives, int kind, int ringed, std::int32_t protectedId) {
  return std::to_string(id) + " " + name + "\n" + std::to_string(kills) + " " +
         std::to_string(score) + " " + std::to_string(lives) + " " + static_cast<char>(kind) +
         static_cast<char>(ringed) + " " + std::to_string(protectedId) + " ";
}
inline std::string PlayerStats(const std::string& records) {
  return std::string(1, '\2') + records + "-1";
}
inline std::string LevelUnloaded() {
  return std::string(1, '\3');
}
inline std::string LevelStarted(int level) {
  return std::string(1, '\4') + std::to_string(level);
}
inline std::string ConsoleLine(const std::string& text) {
  return std::string(1, '\5') + text + std::string(1, '\0');
}

}  // namespace vex::testing_support
