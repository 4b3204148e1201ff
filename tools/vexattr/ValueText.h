#pragma once

#include <string>
#include <string_view>

#include "attrib/AttributeSymbol.h"

namespace vex::tools {

// Text in double quotes with quotes, backslashes and control bytes escaped.
std::string QuotedText(std::string_view text);

// "Kind value" as the checker prints a symbol: "Int 5", "Float 1.5", "Point (1, 2)" ...
std::string SymbolText(const AttributeSymbol& symbol);

}  // namespace vex::tools
