#pragma once

#include <cstdint>
#include <string>

#include "attrib/AttributeTypes.h"

namespace vex {

class CAttributeFile;

// One stored value. Only the member named by `type` is ever written or read; compound values
// and strings live in the owning file's pools and stay valid for its whole life.
struct AttributeSymbol {
  AttributeType type = AttributeType::Int;
  std::int32_t line = 0;  // where the symbol's name stands in its file
  union {
    std::int32_t intValue;
    std::uint32_t dwordValue;
    std::uint8_t byteValue;
    bool boolValue;
    double doubleValue;
    float floatValue;
    const std::string* stringValue;
    const AttributeRect* rectValue;
    const AttributePoint* pointValue;
    const AttributeVector* vectorValue;
    const AttributeRange* rangeValue;
  };
  const CAttributeFile* owner = nullptr;

  AttributeSymbol() : intValue(0) {}
};

}  // namespace vex
