#include "simengine/Outbox.h"

#include <utility>

#include "simengine/GameMessageWriter.h"

namespace vex::sim {

void Outbox::Game(std::string message) {
  items_.push_back({Kind::GameMessage, std::move(message)});
}

void Outbox::GameLine(std::string_view text) {
  Game(ConsoleLineMessage(text));
}

void Outbox::Console(std::string text) {
  items_.push_back({Kind::ConsoleText, std::move(text)});
}

void Outbox::OutOfMemory() {
  items_.push_back({Kind::OutOfMemory, {}});
}

void Outbox::CommandStart() {
  items_.push_back({Kind::CommandStart, {}});
}

void Outbox::CommandEnd() {
  items_.push_back({Kind::CommandEnd, {}});
}

void Outbox::DroppedDatagrams(std::uint64_t total) {
  items_.push_back({Kind::DroppedDatagrams, {}, total});
}

void Outbox::DeliverTo(ServerAppHandler* handler) const {
  if (handler == nullptr) {
    return;
  }
  for (const Item& item : items_) {
    switch (item.Type) {
      case Kind::GameMessage:
        handler->OnGameMessage(item.Data.data(), static_cast<int>(item.Data.size()));
        break;
      case Kind::ConsoleText:
        handler->OnConsoleText(item.Data.c_str());
        break;
      case Kind::OutOfMemory:
        handler->OnOutOfMemory();
        break;
      case Kind::CommandStart:
        handler->OnConsoleCommandStart();
        break;
      case Kind::CommandEnd:
        handler->OnConsoleCommandEnd();
        break;
      case Kind::DroppedDatagrams:
        handler->OnDroppedDatagrams(item.Count);
        break;
    }
  }
}

}  // namespace vex::sim
