#pragma once

#include <cstdint>
#include <string_view>

namespace vex::sim {

// What the game code tells the network about its players and levels; the network tells the
// clients concerned.
class NetEvents {
 public:
  virtual void PlayerKicked(std::int32_t clientId) = 0;
  virtual void LevelStarted(int index, std::string_view name) = 0;

 protected:
  ~NetEvents() = default;
};

}  // namespace vex::sim
