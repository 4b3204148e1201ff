#pragma once

#include <cstddef>
#include <memory>
#include <memory_resource>
#include <new>
#include <vector>

namespace vex {

// Memory for containers that only grow and are released together with their owner: requests are
// cut one after another from chunks of a fixed size, without the allocator's per-block header
// and rounding, and a release waits for the resource's end. Requests larger than a quarter chunk
// get a chunk of their own.
class ChunkResource final : public std::pmr::memory_resource {
 public:
  static constexpr std::size_t kChunkBytes = 64 * 1024;

 private:
  static constexpr std::size_t kChunkAlignment = __STDCPP_DEFAULT_NEW_ALIGNMENT__;

  void* do_allocate(std::size_t bytes, std::size_t alignment) override {
    if (alignment > kChunkAlignment) {
      return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    }
    if (bytes > kChunkBytes / 4) {
      return chunks_.emplace_back(new std::byte[bytes]).get();
    }
    std::size_t start = (used_ + alignment - 1) / alignment * alignment;
    if (current_ == nullptr || start + bytes > kChunkBytes) {
      current_ = chunks_.emplace_back(new std::byte[kChunkBytes]).get();
      start = 0;
    }
    used_ = start + bytes;
    return current_ + start;
  }
  void do_deallocate(void* block, std::size_t bytes, std::size_t alignment) override {
    if (alignment > kChunkAlignment) {
      std::pmr::new_delete_resource()->deallocate(block, bytes, alignment);
    }
  }
  bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }

  std::vector<std::unique_ptr<std::byte[]>> chunks_;
  std::byte* current_ = nullptr;
  std::size_t used_ = 0;
};

}  // namespace vex
