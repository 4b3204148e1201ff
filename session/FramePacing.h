#pragma once

#include <cstdint>

namespace vex {

inline constexpr std::uint32_t kFrameIntervalMs = 33;

// The pause before the next frame. The millisecond clock wraps at 2^32: the comparisons are
// unsigned on purpose, so a frame near or across the wrap gets no pause rather than a huge one.
// A frame that ends within the millisecond it began in still waits its full interval; otherwise
// the thread would run frames back to back until the clock ticks.
constexpr std::uint32_t FramePause(std::uint32_t last, std::uint32_t now) {
  return (last + kFrameIntervalMs > now && now >= last) ? last + kFrameIntervalMs - now : 0;
}

// The base of the next frame: a wait that overslept its pause is not charged to the next frame.
constexpr std::uint32_t NextFrameBase(std::uint32_t pause, std::uint32_t now,
                                      std::uint32_t afterWait) {
  return (pause > 0 && afterWait - now > pause) ? now + pause : afterWait;
}

}  // namespace vex
