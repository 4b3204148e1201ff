#pragma once

#include <cstdint>

namespace vex {

// Kinds of stored symbols; the numbers are part of the file format's vocabulary.
enum class AttributeType : std::uint16_t {
  Int = 1,
  Dword = 2,
  Byte = 3,
  Bool = 4,
  Double = 5,
  Float = 6,
  String = 7,
  Rect = 8,
  Point = 9,
  Vector = 10,
  Range = 11,
};

// Kinds of scanned tokens; the parser tests these numbers.
enum class AttributeToken : std::uint16_t {
  Skip = 0,
  EndOfFile = 1,
  TagOpen = 2,
  TagClose = 3,
  Identifier = 4,
  Equals = 5,
  Integer = 6,
  NegativeInteger = 7,
  Double = 8,
  String = 9,
  Rect = 10,
  Point = 11,
  Vector = 12,
  Range = 13,
  DwordPrefix = 14,
  FloatPrefix = 15,
  Float = 16,
  BytePrefix = 17,
  Bool = 18,
};

// The four integers of a Rect, in file order.
struct AttributeRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

struct AttributePoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct AttributeVector {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

struct AttributeRange {
  double low = 0.0;
  double high = 0.0;
};

// Names as the checker prints them: "Int", "Dword", ... and "EndOfFile", "TagOpen", ...
const char* AttributeTypeName(AttributeType type);
const char* AttributeTokenName(AttributeToken token);

}  // namespace vex
