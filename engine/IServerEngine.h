#pragma once

#include <cstdint>

#include "engine/EngineRecords.h"
#include "engine/ServerAppHandler.h"

namespace vex {

// The engine server object. Its operations sit at fixed positions of the table of operations;
// the Unused slots keep those positions, are never called, and need no engine of their own.
class IServerEngine {
 public:
  virtual int AttachHandler(ServerAppHandler* handler) = 0;  // 0
  virtual int Unused1() { return 0; }
  virtual int Unused2() { return 0; }
  virtual int Unused3() { return 0; }
  virtual int Unused4() { return 0; }
  virtual int Unused5() { return 0; }
  virtual int Unused6() { return 0; }
  virtual int PostShellMessage(const void* data, std::uint32_t size) = 0;               // 7
  virtual int LoadResourceArchives(const char* const* paths, std::uint32_t count) = 0;  // 8
  virtual int LoadGameCode() = 0;                                                       // 9
  virtual int Unused10() { return 0; }
  virtual int Unused11() { return 0; }
  virtual int Unused12() { return 0; }
  virtual int Unused13() { return 0; }
  virtual int SetGameOptions(const void* block, std::uint32_t size) = 0;  // 14
  virtual int Unused15() { return 0; }
  virtual int Unused16() { return 0; }
  virtual int Unused17() { return 0; }
  virtual int KickClient(std::int32_t clientId) = 0;                      // 18
  virtual int ReadClientPing(std::int32_t clientId, float* seconds) = 0;  // 19
  virtual int Unused20() { return 0; }
  virtual int ReadLastError(char* buffer, std::uint32_t size) = 0;  // 21
  virtual int RunFrame(int reserved) = 0;                           // 22
  virtual int StartNetwork(int a, int b) = 0;                       // 23
  virtual int ListNetServices(NetServiceEntry** list) = 0;          // 24
  virtual int ReleaseNetServices(NetServiceEntry* list) = 0;        // 25
  virtual int ChooseNetService(std::uint32_t handle) = 0;           // 26
  virtual int Unused27() { return 0; }
  virtual int StartHosting(const HostRecord* record) = 0;  // 28

 protected:
  ~IServerEngine() = default;
};

// The module's two exported entries (ordinals 1 and 2 of the Windows engine library).
inline constexpr const char* kCreateEntryName = "VexServerCreate";
inline constexpr const char* kReleaseEntryName = "VexServerRelease";
using CreateEntry = int (*)(int version, const std::uint8_t* interfaceId, IServerEngine** engine);
using ReleaseEntry = int (*)();

}  // namespace vex
