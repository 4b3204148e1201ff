#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "engine/GameOptions.h"

namespace vex::test {

// Byte-for-byte equality of two blocks, naming the first offset that differs.
inline ::testing::AssertionResult SameBlock(const CGameOptions& expected,
                                            const CGameOptions& actual) {
  const auto* a = reinterpret_cast<const std::uint8_t*>(&expected);
  const auto* b = reinterpret_cast<const std::uint8_t*>(&actual);
  for (std::size_t offset = 0; offset < sizeof(CGameOptions); ++offset) {
    if (a[offset] != b[offset]) {
      return ::testing::AssertionFailure()
             << "first difference at offset " << offset << ": expected " << int{a[offset]}
             << ", got " << int{b[offset]};
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace vex::test
