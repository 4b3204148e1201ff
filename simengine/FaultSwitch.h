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

// The step that fails on purpose; frames count from 1.
struct Fault {
  FaultPoint Point = FaultPoint::None;
  std::uint64_t Frame = 0;

  bool At(FaultPoint point) const { return Point == point; }
  bool AtFrame(FaultPoint point, std::uint64_t frame) const {
    return Point == point && Frame == frame;
  }
};

// "" is no fault; an unknown word or a frame number that is missing, zero or not a number is
// nullopt.
std::optional<Fault> ParseFault(std::string_view text);

}  // namespace vex::sim
