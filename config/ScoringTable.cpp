#include "config/ScoringTable.h"

namespace vex {

void CScoringTable::Set(std::int32_t classId, std::uint8_t score) {
  std::vector<ScoreEntry>& bucket = buckets_[BucketOf(classId)];
  for (ScoreEntry& entry : bucket) {
    if (entry.ClassId == classId) {
      entry.Score = score;
      return;
    }
  }
  bucket.insert(bucket.begin(), ScoreEntry{classId, score});
  ++size_;
}

std::optional<std::uint8_t> CScoringTable::Find(std::int32_t classId) const {
  for (const ScoreEntry& entry : buckets_[BucketOf(classId)]) {
    if (entry.ClassId == classId) {
      return entry.Score;
    }
  }
  return std::nullopt;
}

std::vector<ScoreEntry> CScoringTable::InBucketOrder() const {
  std::vector<ScoreEntry> entries;
  entries.reserve(size_);
  for (const std::vector<ScoreEntry>& bucket : buckets_) {
    entries.insert(entries.end(), bucket.begin(), bucket.end());
  }
  return entries;
}

}  // namespace vex
