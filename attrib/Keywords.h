#pragma once

#include <cstdint>
#include <optional>

#include "attrib/AttributeTypes.h"

namespace vex {

struct Keyword {
  const char* text;
  AttributeToken kind;
  std::uint16_t value;
};

// The keyword whose text equals `identifier` ignoring letter case (TRUE, FALSE), if any.
std::optional<Keyword> FindKeyword(const char* identifier);

}  // namespace vex
