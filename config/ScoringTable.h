#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vex {

struct ScoreEntry {
  std::int32_t ClassId = 0;
  std::uint8_t Score = 0;
};

// Score per class id. The engine receives the entries in this table's bucket order, so the
// table keeps the Windows program's layout: a class id hashes to itself modulo 193, and within a
// bucket the newest id comes first.
class CScoringTable {
 public:
  static constexpr std::size_t kBucketCount = 193;

  // A class id already present keeps its place and takes the new score.
  void Set(std::int32_t classId, std::uint8_t score);
  std::optional<std::uint8_t> Find(std::int32_t classId) const;
  std::size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }

  std::vector<ScoreEntry> InBucketOrder() const;

 private:
  static std::size_t BucketOf(std::int32_t classId) {
    return static_cast<std::uint32_t>(classId) % kBucketCount;
  }

  std::array<std::vector<ScoreEntry>, kBucketCount> buckets_;
  std::size_t size_ = 0;
};

}  // namespace vex
