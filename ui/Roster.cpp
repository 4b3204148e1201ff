#include "ui/Roster.h"

#include <algorithm>

namespace vex {

namespace {

std::uint16_t KeyOf(std::int32_t clientId) {
  return static_cast<std::uint16_t>(static_cast<std::uint32_t>(clientId) & 0xFFFFu);
}

std::size_t BucketOf(std::uint16_t key, std::size_t buckets) {
  return (key >> 4) % buckets;
}

}  // namespace

// Each bucket keeps its oldest record first, so enumeration walks it backwards.
void CRoster::Add(const CPlayerInfo& player) {
  Remove(player.ClientId);
  buckets_[BucketOf(KeyOf(player.ClientId), kBuckets)].push_back(
      std::make_unique<CPlayerInfo>(player));
}

bool CRoster::Remove(std::int32_t clientId) {
  const std::uint16_t key = KeyOf(clientId);
  auto& bucket = buckets_[BucketOf(key, kBuckets)];
  auto found = std::find_if(bucket.begin(), bucket.end(),
                            [key](const auto& record) { return KeyOf(record->ClientId) == key; });
  if (found == bucket.end()) {
    return false;
  }
  bucket.erase(found);
  return true;
}

CPlayerInfo* CRoster::Find(std::int32_t clientId) {
  const std::uint16_t key = KeyOf(clientId);
  for (const auto& record : buckets_[BucketOf(key, kBuckets)]) {
    if (KeyOf(record->ClientId) == key) {
      return record.get();
    }
  }
  return nullptr;
}

void CRoster::Clear() {
  for (auto& bucket : buckets_) {
    bucket.clear();
  }
}

std::size_t CRoster::Size() const {
  std::size_t size = 0;
  for (const auto& bucket : buckets_) {
    size += bucket.size();
  }
  return size;
}

void CRoster::ForEach(const std::function<void(const CPlayerInfo&)>& visit) const {
  for (const auto& bucket : buckets_) {
    for (auto record = bucket.rbegin(); record != bucket.rend(); ++record) {
      visit(**record);
    }
  }
}

}  // namespace vex
