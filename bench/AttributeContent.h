#pragma once

#include <string>
#include <vector>

namespace vex::bench {

enum class ValueKind { Int, Dword, Byte, Bool, Double, Float, String, Rect, Point, Vector, Range };

// One symbol as both files hold it: the tag, the name and the kind to look it up with.
struct SymbolEntry {
  std::string tag;
  std::string name;
  ValueKind kind;
};

// The same settings written twice: as an attribute file (typed forms, "//" and "/* */" comments,
// indentation) and as an INI file (plain text values, ";" comments).
struct GeneratedContent {
  std::string attributeText;
  std::string iniText;
  std::vector<SymbolEntry> symbols;
};

// Level-like tags of two dozen symbols each until the attribute text reaches `bytes`.
GeneratedContent GenerateContent(std::size_t bytes);

}  // namespace vex::bench
