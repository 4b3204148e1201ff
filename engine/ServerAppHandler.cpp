#include "engine/ServerAppHandler.h"

namespace vex {

int ServerAppHandler::OnGameMessage(const char*, int) {
  return 0;
}
int ServerAppHandler::OnConsoleText(const char*) {
  return 0;
}
int ServerAppHandler::OnOutOfMemory() {
  return 0;
}
int ServerAppHandler::OnPacket(std::uint32_t, std::uint32_t, std::uint32_t, std::uint16_t) {
  return 0;
}

int ServerAppHandler::OnConsoleCommandStart() {
  return 0;
}
int ServerAppHandler::OnConsoleCommandEnd() {
  return 0;
}
int ServerAppHandler::OnDroppedDatagrams(std::uint64_t) {
  return 0;
}

}  // namespace vex
