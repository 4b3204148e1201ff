#include "attrib/AttributeTypes.h"

#include <array>
#include <cstddef>

namespace vex {

const char* AttributeTypeName(AttributeType type) {
  static constexpr std::array<const char*, 12> kNames = {"?",    "Int",    "Dword",  "Byte",
                                                         "Bool", "Double", "Float",  "String",
                                                         "Rect", "Point",  "Vector", "Range"};
  const auto index = static_cast<std::size_t>(type);
  return index < kNames.size() ? kNames[index] : "?";
}

const char* AttributeTokenName(AttributeToken token) {
  static constexpr std::array<const char*, 19> kNames = {
      "Skip",        "EndOfFile", "TagOpen",         "TagClose", "Identifier",
      "Equals",      "Integer",   "NegativeInteger", "Double",   "String",
      "Rect",        "Point",     "Vector",          "Range",    "DwordPrefix",
      "FloatPrefix", "Float",     "BytePrefix",      "Bool"};
  const auto index = static_cast<std::size_t>(token);
  return index < kNames.size() ? kNames[index] : "?";
}

}  // namespace vex
