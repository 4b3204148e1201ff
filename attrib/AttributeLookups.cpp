#include <limits>

#include "attrib/AttributeFile.h"

namespace vex {
namespace {

constexpr std::int32_t kIntFallback = std::numeric_limits<std::int32_t>::min();
constexpr float kFloatFallback = std::numeric_limits<float>::min();
constexpr double kDoubleFallback = std::numeric_limits<double>::min();

// Shared zero values answered by the compound lookups without a default; never changed.
template <typename T>
const T& Zero() {
  static const T zero{};
  return zero;
}

}  // namespace

const AttributeSymbol* CAttributeFile::Lookup(const char* tag, const char* symbol,
                                              std::initializer_list<AttributeType> accepted) {
  lookupSucceeded_ = true;
  const AttributeSymbol* found = store_.Find(tag, symbol);
  if (found != nullptr) {
    for (AttributeType type : accepted) {
      if (found->type == type) {
        return found;
      }
    }
    ReportAttributeError("Type mismatch - [%s]:%s", tag, symbol);
  }
  lookupSucceeded_ = false;
  return nullptr;
}

void CAttributeFile::ReportIfFailed(const char* tag, const char* symbol) {
  if (!lookupSucceeded_) {
    ReportAttributeError("Symbol not found - [%s]:%s", tag != nullptr ? tag : "(null)",
                         symbol != nullptr ? symbol : "(null)");
  }
}

std::int32_t CAttributeFile::GetInt(const char* tag, const char* symbol, std::int32_t def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Int});
  return found != nullptr ? found->intValue : def;
}

std::int32_t CAttributeFile::GetInt(const char* tag, const char* symbol) {
  const std::int32_t value = GetInt(tag, symbol, kIntFallback);
  ReportIfFailed(tag, symbol);
  return value;
}

std::uint32_t CAttributeFile::GetDword(const char* tag, const char* symbol, std::uint32_t def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Dword});
  return found != nullptr ? found->dwordValue : def;
}

std::uint32_t CAttributeFile::GetDword(const char* tag, const char* symbol) {
  const std::uint32_t value = GetDword(tag, symbol, 0);
  ReportIfFailed(tag, symbol);
  return value;
}

std::uint8_t CAttributeFile::GetByte(const char* tag, const char* symbol, std::uint8_t def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Byte});
  return found != nullptr ? found->byteValue : def;
}

std::uint8_t CAttributeFile::GetByte(const char* tag, const char* symbol) {
  const std::uint8_t value = GetByte(tag, symbol, 0);
  ReportIfFailed(tag, symbol);
  return value;
}

bool CAttributeFile::GetBool(const char* tag, const char* symbol, bool def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Bool});
  return found != nullptr ? found->boolValue : def;
}

bool CAttributeFile::GetBool(const char* tag, const char* symbol) {
  const bool value = GetBool(tag, symbol, false);
  ReportIfFailed(tag, symbol);
  return value;
}

float CAttributeFile::GetFloat(const char* tag, const char* symbol, float def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Int, AttributeType::Float});
  if (found == nullptr) {
    return def;
  }
  return found->type == AttributeType::Int ? static_cast<float>(found->intValue)
                                           : found->floatValue;
}

float CAttributeFile::GetFloat(const char* tag, const char* symbol) {
  const float value = GetFloat(tag, symbol, kFloatFallback);
  ReportIfFailed(tag, symbol);
  return value;
}

double CAttributeFile::GetDouble(const char* tag, const char* symbol, double def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Int, AttributeType::Double});
  if (found == nullptr) {
    return def;
  }
  return found->type == AttributeType::Int ? static_cast<double>(found->intValue)
                                           : found->doubleValue;
}

double CAttributeFile::GetDouble(const char* tag, const char* symbol) {
  const double value = GetDouble(tag, symbol, kDoubleFallback);
  ReportIfFailed(tag, symbol);
  return value;
}

std::string CAttributeFile::GetString(const char* tag, const char* symbol, const std::string& def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::String});
  return found != nullptr ? *found->stringValue : def;
}

std::string CAttributeFile::GetString(const char* tag, const char* symbol) {
  std::string value = GetString(tag, symbol, std::string());
  ReportIfFailed(tag, symbol);
  return value;
}

const AttributeRect& CAttributeFile::GetRect(const char* tag, const char* symbol,
                                             const AttributeRect& def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Rect});
  return found != nullptr ? *found->rectValue : def;
}

const AttributeRect& CAttributeFile::GetRect(const char* tag, const char* symbol) {
  const AttributeRect& value = GetRect(tag, symbol, Zero<AttributeRect>());
  ReportIfFailed(tag, symbol);
  return value;
}

const AttributePoint& CAttributeFile::GetPoint(const char* tag, const char* symbol,
                                               const AttributePoint& def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Point});
  return found != nullptr ? *found->pointValue : def;
}

const AttributePoint& CAttributeFile::GetPoint(const char* tag, const char* symbol) {
  const AttributePoint& value = GetPoint(tag, symbol, Zero<AttributePoint>());
  ReportIfFailed(tag, symbol);
  return value;
}

const AttributeVector& CAttributeFile::GetVector(const char* tag, const char* symbol,
                                                 const AttributeVector& def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Vector});
  return found != nullptr ? *found->vectorValue : def;
}

const AttributeVector& CAttributeFile::GetVector(const char* tag, const char* symbol) {
  const AttributeVector& value = GetVector(tag, symbol, Zero<AttributeVector>());
  ReportIfFailed(tag, symbol);
  return value;
}

const AttributeRange& CAttributeFile::GetRange(const char* tag, const char* symbol,
                                               const AttributeRange& def) {
  const AttributeSymbol* found = Lookup(tag, symbol, {AttributeType::Range});
  return found != nullptr ? *found->rangeValue : def;
}

const AttributeRange& CAttributeFile::GetRange(const char* tag, const char* symbol) {
  const AttributeRange& value = GetRange(tag, symbol, Zero<AttributeRange>());
  ReportIfFailed(tag, symbol);
  return value;
}

}  // namespace vex
