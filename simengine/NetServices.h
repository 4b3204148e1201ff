#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/EngineRecords.h"

namespace vex::sim {

// The two network services, serial link and UDP; only the second carries the use flag.
inline constexpr std::uint32_t kSerialServiceHandle = 0x5E1;
inline constexpr std::uint32_t kUdpServiceHandle = 0x0D9;

bool IsNetServiceHandle(std::uint32_t handle);

// Every list handed out stays owned here until it comes back or the engine goes.
class NetServiceLists {
 public:
  NetServiceLists() = default;
  NetServiceLists(const NetServiceLists&) = delete;
  NetServiceLists& operator=(const NetServiceLists&) = delete;

  NetServiceEntry* Create();
  // False for a pointer that is not the head of a list handed out and not yet released.
  bool Release(const NetServiceEntry* head);

 private:
  using List = std::array<NetServiceEntry, 2>;
  std::vector<std::unique_ptr<List>> lists_;
};

}  // namespace vex::sim
