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
  // Optional, after the four above: an engine that can tell a console command's own output from
  // the game's other lines calls these around it, on the thread that runs the command. An engine
  // that never calls them still works; the host then cannot tell the two apart.
  virtual int OnConsoleCommandStart();
  virtual int OnConsoleCommandEnd();
  // Optional, after those: an engine that counts the datagrams its game port dropped (not the
  // protocol, spoofed, over a rate) reports their total when it changes, from a frame.
  virtual int OnDroppedDatagrams(std::uint64_t total);

 protected:
  ~ServerAppHandler() = default;
};

}  // namespace vex
