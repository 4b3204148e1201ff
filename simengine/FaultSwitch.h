#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vex::sim {

enum class FaultPoint {
  None,
  Create,
  Attach,
  Archives,
  Service,
  GameCode,
  Start,
  Host,
  Frame,        // RunFrame fails at frame N
  OutOfMemory,  // OnOutOfMemory from inside frame N
  Hang,         // frame N never returns
};

// The step that fails on purpose, or that never returns (Hangs); frames count from 1.
struct Fault {
  FaultPoint Point = FaultPoint::None;
  std::uint64_t Frame = 0;
  bool Hangs = false;

  bool At(FaultPoint point) const { return Point == point && !Hangs; }
  bool HangsAt(FaultPoint point) const { return Point == point && Hangs; }
  bool AtFrame(FaultPoint point, std::uint64_t frame) const {
    return Point == point && Frame == frame;
  }
};

// "" is no fault; "hang:" and a step's word is that step hanging; an unknown word or a frame
// number that is missing, zero or not a number is nullopt.
std::optional<Fault> ParseFault(std::string_view text);

// What a hanging step or frame does: the calling thread sleeps for good.
[[noreturn]] void HangForever();

}  // namespace vex::sim
