#pragma once

#include <cstddef>

namespace vex::bench {

// Counts of the program's replaced operator new: allocations made and heap bytes held (as the
// allocator hands them out), with the highest holding since the last reset.
struct AllocationStats {
  std::size_t count = 0;
  std::size_t liveBytes = 0;
  std::size_t peakBytes = 0;
};

AllocationStats CurrentAllocations();
// Starts counting (off at first, so that timed runs pay nothing for it) with a new count and a
// new peak at the bytes held now; blocks allocated while counting was off are never counted.
void StartCounting();
void StopCounting();

}  // namespace vex::bench
