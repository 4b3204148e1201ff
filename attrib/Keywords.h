#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "attrib/AttributeTypes.h"

namespace vex {

struct Keyword {
  const char* text;
  AttributeToken kind;
  std::uint16_t value;
};

// The keyword whose text equals `identifier` ignoring letter case (TRUE, FALSE), if any.
std::optional<Keyword> FindKeyword(std::string_view identifier);

}  // namespace vex
