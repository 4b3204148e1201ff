#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "attrib/AttributeFile.h"
#include "config/ServerConfig.h"

namespace vex {

// A value of the file that its field could not hold as written: the field keeps the low bits
// (or the limit of a capped field) instead.
struct NarrowedValue {
  std::string Tag;
  std::string Key;
  std::int32_t Line = 0;  // where the key stands in the file
  std::int64_t Read = 0;
  std::int64_t Kept = 0;
};

// Fills the record from a parsed file, key by key in a fixed order. Every lookup passes the
// field's current value as its default, so whatever is missing or mistyped keeps it; the only
// reports are the file's own type mismatches. Answers the values that did not fit their fields.
std::vector<NarrowedValue> ReadServerConfig(CServerConfig& config, CAttributeFile& file);

}  // namespace vex
