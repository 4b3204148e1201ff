#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ServerAppHandler.h"

namespace vex::sim {

// The callbacks that one engine call produces, collected under the engine's lock and made after
// it is released: a handler may wait for the host's own lock, which another thread can hold
// while it waits for the engine.
class Outbox {
 public:
  void Game(std::string message);
  void GameLine(std::string_view text);
  void Console(std::string text);
  void OutOfMemory();
  // Around the output of one console command, so that the host can tell it from game events.
  void CommandStart();
  void CommandEnd();
  void DroppedDatagrams(std::uint64_t total);

  void DeliverTo(ServerAppHandler* handler) const;

 private:
  enum class Kind {
    GameMessage,
    ConsoleText,
    OutOfMemory,
    CommandStart,
    CommandEnd,
    DroppedDatagrams
  };
  struct Item {
    Kind Type;
    std::string Data;
    std::uint64_t Count = 0;
  };
  std::vector<Item> items_;
};

}  // namespace vex::sim
