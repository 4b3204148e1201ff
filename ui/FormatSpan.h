#pragma once

#include <cstdint>
#include <string>

namespace vex {

// Whole seconds as "MMm:SSs", "HHh:MMm:SSs" or "Dd:HHh:MMm:SSs". A negative span (a clock set
// backwards) keeps the signs of its truncated parts, so -65 reads "-1m:-5s".
std::string FormatSpan(std::int32_t seconds);

}  // namespace vex
