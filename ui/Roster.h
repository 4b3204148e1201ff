#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ui/PlayerInfo.h"

namespace vex {

// Players keyed by the low 16 bits of their client id. Enumeration order is part of the display:
// 17 buckets, a key in bucket (key >> 4) % 17, buckets in increasing order, newest first inside
// one.
class CRoster {
 public:
  // Inserts the record, replacing (and deleting) a record with the same key.
  void Add(const CPlayerInfo& player);
  bool Remove(std::int32_t clientId);
  CPlayerInfo* Find(std::int32_t clientId);
  void Clear();
  std::size_t Size() const;
  void ForEach(const std::function<void(const CPlayerInfo&)>& visit) const;

 private:
  static constexpr std::size_t kBuckets = 17;
  std::array<std::vector<std::unique_ptr<CPlayerInfo>>, kBuckets> buckets_;
};

}  // namespace vex
