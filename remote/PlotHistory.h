#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vex::remote {

// The web page's plots: per minute of the last hour, the players seen last, the frames run and
// the slowest frame. The current, unfinished minute is kept too, so a page opened seconds after
// the start already draws something. Minutes count from any fixed origin.
class PlotHistory {
 public:
  static constexpr std::size_t kMinutes = 60;

  struct Minute {
    std::int64_t Index = 0;
    std::uint32_t Players = 0;
    std::uint64_t Frames = 0;
    std::uint32_t SlowestFrameUs = 0;
    std::uint64_t CoveredMs = 0;  // the time the samples span, for the frames per second
  };

  // One sample at this second: the players now, and the frames run in the elapsed time since the
  // last sample with the slowest of them.
  void Record(std::int64_t second, std::uint32_t players, std::uint64_t frames,
              std::uint32_t slowestFrameUs, std::uint32_t elapsedMs);

  // The minutes still within the hour before the newest one, oldest first, the newest included.
  std::vector<Minute> Minutes() const;

 private:
  std::array<Minute, kMinutes + 1> ring_{};
  std::size_t newest_ = 0;
  bool any_ = false;
};

}  // namespace vex::remote
