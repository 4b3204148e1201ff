#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace vex {

static_assert(std::endian::native == std::endian::little,
              "the engine's records are little-endian byte layouts");

// The engine interface identifier 1DFB2BC1-EB40-11D2-B7D2-0060971766C1 in the 16-byte GUID
// layout: the first three groups are stored little-endian.
inline constexpr std::array<std::uint8_t, 16> kServerEngineInterfaceId = {
    0xC1, 0x2B, 0xFB, 0x1D, 0x40, 0xEB, 0xD2, 0x11, 0xB7, 0xD2, 0x00, 0x60, 0x97, 0x17, 0x66, 0xC1};

inline constexpr int kServerEngineVersion = 2;

// An engine-owned list node; only the handle, the flags and the link are ours to read.
struct NetServiceEntry {
  std::uint32_t Handle;
  std::uint32_t Flags;
  std::uint8_t EngineData[144];
  NetServiceEntry* Next;
};
static_assert(offsetof(NetServiceEntry, Flags) == 4);
static_assert(offsetof(NetServiceEntry, Next) == 152);

inline constexpr std::uint32_t kNetServiceUseFlag = 1;

struct HostRecord {
  std::int32_t Port;
  std::int32_t Reserved;  // never written by the program; the engine's own
  std::int32_t MaxPlayers;
  char ServerName[4096];
};
static_assert(sizeof(HostRecord) == 4108);
static_assert(offsetof(HostRecord, MaxPlayers) == 8);
static_assert(offsetof(HostRecord, ServerName) == 12);

}  // namespace vex
