#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "attrib/AttributeErrors.h"
#include "attrib/AttributeScanner.h"
#include "attrib/AttributeStore.h"
#include "attrib/AttributeSymbol.h"
#include "attrib/AttributeTypes.h"

namespace vex {

// One parsed attribute file: tags holding typed symbols, read through typed lookups that answer
// with a default and a success flag. Problems are reported as text with file and line.
class CAttributeFile {
 public:
  using ErrorCallback = AttributeErrorReporter::Callback;

  CAttributeFile();
  virtual ~CAttributeFile();
  CAttributeFile(const CAttributeFile&) = delete;
  CAttributeFile& operator=(const CAttributeFile&) = delete;

  // Adds the file's tags to the store. False when the file cannot be opened or is malformed.
  bool Parse(const std::string& fileName, std::int32_t characterOffset = 0);
  // The same for a stream the caller opened (and still owns), read from where it stands;
  // `fileName` names it in messages.
  bool Parse(std::FILE* stream, const std::string& fileName, std::int32_t characterOffset = 0);

  // True if the tag exists and, for a non-null symbol, holds it. Leaves Success() alone.
  bool Exists(const char* tag, const char* symbol) const;
  // The line of the file on which the symbol's name stands; 0 when there is no such symbol.
  std::int32_t SymbolLine(const char* tag, const char* symbol) const;
  // The file last parsed, as messages name it.
  const std::string& FileName() const { return errors_.FileName(); }
  // Whether the last typed lookup found its symbol with an accepted kind.
  bool Success() const { return lookupSucceeded_; }

  std::int32_t GetInt(const char* tag, const char* symbol, std::int32_t def);
  std::int32_t GetInt(const char* tag, const char* symbol);
  std::uint32_t GetDword(const char* tag, const char* symbol, std::uint32_t def);
  std::uint32_t GetDword(const char* tag, const char* symbol);
  std::uint8_t GetByte(const char* tag, const char* symbol, std::uint8_t def);
  std::uint8_t GetByte(const char* tag, const char* symbol);
  bool GetBool(const char* tag, const char* symbol, bool def);
  bool GetBool(const char* tag, const char* symbol);
  float GetFloat(const char* tag, const char* symbol, float def);
  float GetFloat(const char* tag, const char* symbol);
  double GetDouble(const char* tag, const char* symbol, double def);
  double GetDouble(const char* tag, const char* symbol);
  std::string GetString(const char* tag, const char* symbol, const std::string& def);
  std::string GetString(const char* tag, const char* symbol);
  const AttributeRect& GetRect(const char* tag, const char* symbol, const AttributeRect& def);
  const AttributeRect& GetRect(const char* tag, const char* symbol);
  const AttributePoint& GetPoint(const char* tag, const char* symbol, const AttributePoint& def);
  const AttributePoint& GetPoint(const char* tag, const char* symbol);
  const AttributeVector& GetVector(const char* tag, const char* symbol, const AttributeVector& def);
  const AttributeVector& GetVector(const char* tag, const char* symbol);
  const AttributeRange& GetRange(const char* tag, const char* symbol, const AttributeRange& def);
  const AttributeRange& GetRange(const char* tag, const char* symbol);

  const std::string& LastError() const { return errors_.LastError(); }
  void SetErrorCallback(ErrorCallback callback) { errors_.SetCallback(callback); }

  // Forms a message (printf conventions) with the file name and current line in front, makes it
  // the last error text and passes it to the callback.
  void ReportAttributeError(const char* format, ...) __attribute__((format(printf, 2, 3)));

  // The whole store, unordered, for tools that print it.
  std::vector<AttributeTagListing> ListStore() const { return store_.List(); }

 private:
  // Finds the symbol and checks its kind; reports a mismatch and answers null otherwise.
  const AttributeSymbol* Lookup(const char* tag, const char* symbol,
                                std::initializer_list<AttributeType> accepted);
  // Reports "Symbol not found" when the lookup just made failed.
  void ReportIfFailed(const char* tag, const char* symbol);

  AttributeErrorReporter errors_;
  AttributeScanner scanner_;
  bool lookupSucceeded_ = false;
  AttributeStore store_;
};

}  // namespace vex
