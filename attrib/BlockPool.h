#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace vex {

// Hands out default-initialised elements of one type from blocks that are never moved, so every
// pointer stays valid until the pool goes; all blocks are released together.
template <typename T, std::size_t BlockSize = 64>
class BlockPool {
 public:
  // Null when no storage can be obtained.
  T* Take() {
    if (blocks_.empty() || used_ == BlockSize) {
      std::unique_ptr<T[]> block(new (std::nothrow) T[BlockSize]());
      if (!block) {
        return nullptr;
      }
      blocks_.push_back(std::move(block));
      used_ = 0;
    }
    return &blocks_.back()[used_++];
  }

 private:
  std::vector<std::unique_ptr<T[]>> blocks_;
  std::size_t used_ = 0;
};

}  // namespace vex
