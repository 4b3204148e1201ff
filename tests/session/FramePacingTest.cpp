#include <gtest/gtest.h>

#include "session/FramePacing.h"

namespace vex {
namespace {

struct PauseCase {
  const char* name;
  std::uint32_t last;
  std::uint32_t now;
  std::uint32_t pause;
};

TEST(FramePacing, PauseFillsTheRestOfThe33Milliseconds) {
  const PauseCase cases[] = {
      {"10 ms frame", 1000, 1010, 23},
      {"50 ms frame", 1000, 1050, 0},
      {"exactly 33 ms", 1000, 1033, 0},
      {"clock did not move", 1000, 1000, 33},
      {"within 33 ms of the wrap", 0xFFFFFFF0u, 0xFFFFFFF5u, 0},
      {"wrapped between readings", 0xFFFFFFF0u, 0x00000005u, 0},
      {"just after the wrap", 2, 12, 23},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FramePause(c.last, c.now), c.pause) << c.name;
  }
}

TEST(FramePacing, OversleptWaitIsNotChargedToTheNextFrame) {
  EXPECT_EQ(NextFrameBase(23, 1010, 1033), 1033u);
  EXPECT_EQ(NextFrameBase(23, 1010, 1040), 1033u);
  EXPECT_EQ(NextFrameBase(0, 1050, 1051), 1051u);
}

}  // namespace
}  // namespace vex
