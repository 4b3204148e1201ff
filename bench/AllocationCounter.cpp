#include "bench/AllocationCounter.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace vex::bench {
namespace {

AllocationStats stats;
bool counting = false;

void* Allocate(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block != nullptr && counting) {
    ++stats.count;
    stats.liveBytes += malloc_usable_size(block);
    if (stats.liveBytes > stats.peakBytes) {
      stats.peakBytes = stats.liveBytes;
    }
  }
  return block;
}

void Release(void* block) {
  if (block != nullptr && counting) {
    stats.liveBytes -= malloc_usable_size(block);
  }
  std::free(block);
}

}  // namespace

AllocationStats CurrentAllocations() {
  return stats;
}

void StartCounting() {
  stats = AllocationStats{};
  counting = true;
}

void StopCounting() {
  counting = false;
}

}  // namespace vex::bench

void* operator new(std::size_t size) {
  void* block = vex::bench::Allocate(size);
  if (block == nullptr) {
    throw std::bad_alloc();
  }
  return block;
}

void* operator new[](std::size_t size) {
  return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return vex::bench::Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return vex::bench::Allocate(size);
}

void operator delete(void* block) noexcept {
  vex::bench::Release(block);
}

void operator delete[](void* block) noexcept {
  vex::bench::Release(block);
}

void operator delete(void* block, std::size_t) noexcept {
  vex::bench::Release(block);
}

void operator delete[](void* block, std::size_t) noexcept {
  vex::bench::Release(block);
}
