#include "tools/vexattr/ValueText.h"

#include <cstdio>

namespace vex::tools {
namespace {

std::string Number(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*g", digits, value);
  return text;
}

std::string DoubleText(double value) {
  return Number(value, 17);
}

std::string ValueText(const AttributeSymbol& symbol) {
  switch (symbol.type) {
    case AttributeType::Int:
      return std::to_string(symbol.intValue);
    case AttributeType::Dword:
      return std::to_string(symbol.dwordValue);
    case AttributeType::Byte:
      return std::to_string(symbol.byteValue);
    case AttributeType::Bool:
      return symbol.boolValue ? "true" : "false";
    case AttributeType::Double:
      return DoubleText(symbol.doubleValue);
    case AttributeType::Float:
      return Number(static_cast<double>(symbol.floatValue), 9);
    case AttributeType::String:
      return QuotedText(*symbol.stringValue);
    case AttributeType::Rect: {
      const AttributeRect& r = *symbol.rectValue;
      return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
             std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
    }
    case AttributeType::Point: {
      const AttributePoint& p = *symbol.pointValue;
      return "(" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")";
    }
    case AttributeType::Vector: {
      const AttributeVector& v = *symbol.vectorValue;
      return "<" + DoubleText(v.x) + ", " + DoubleText(v.y) + ", " + DoubleText(v.z) + ">";
    }
    case AttributeType::Range: {
      const AttributeRange& r = *symbol.rangeValue;
      return "[" + DoubleText(r.low) + ", " + DoubleText(r.high) + "]";
    }
  }
  return "?";
}

}  // namespace

std::string QuotedText(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (byte < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\x%02x", byte);
          quoted += escape;
        } else {
          quoted += c;
        }
    }
  }
  quoted += '"';
  return quoted;
}

std::string SymbolText(const AttributeSymbol& symbol) {
  return std::string(AttributeTypeName(symbol.type)) + " " + ValueText(symbol);
}

}  // namespace vex::tools
