#include "simengine/Outbox.h"

#include <utility>

#include "simengine/GameMessageWriter.h"

namespace vex::sim {

void Outbox::Game(std::string message) {
  items_.push_back({Kind::kGameMessage, std::move(message)});
}

void Outbox::GameLine(std::string_view text) {
  Game(ConsoleLineMessage(text));
}

void Outbox::Console(std::string text) {
  items_.push_back({Kind::kConsoleText, std::move(text)});
}

void Outbox::OutOfMemory() {
  items_.push_back({Kind::kOutOfMemory, {}});
}

void Outbox::CommandStart() {
  items_.push_back({Kind::kCommandStart, {}});
}

void Outbox::CommandEnd() {
  items_.push_back({Kind::kCommandEnd, {}});
}

void Outbox::DeliverTo(ServerAppHandler* handler) const {
  if (handler == nullptr) {
    return;
  }
  for (const Item& item : items_) {
    switch (item.Type) {
      case Kind::kGameMessage:
        handler->OnGameMessage(item.Data.data(), static_cast<int>(item.Data.size()));
        break;
      case Kind::kConsoleText:
        handler->OnConsoleText(item.Data.c_str());
        break;
      case Kind::kOutOfMemory:
        handler->OnOutOfMemory();
        break;
      case Kind::kCommandStart:
        handler->OnConsoleCommandStart();
        break;
      case Kind::kCommandEnd:
        handler->OnConsoleCommandEnd();
        break;
    }
  }
}

}  // namespace vex::sim
