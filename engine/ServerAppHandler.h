#pragma once

#include <cstdint>

namespace vex {

// The engine's callback interface. The order of the operations is the engine's ABI.
class ServerAppHandler {
 public:
  virtual int OnGameMessage(const char* data, int length);
  virtual int OnConsoleText(const char* text);
  virtual int OnOutOfMemory();
  virtual int OnPacket(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint16_t port);

 protected:
  ~ServerAppHandler() = default;
};

}  // namespace vex
