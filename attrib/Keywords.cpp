#include "attrib/Keywords.h"

#include <array>

#include "attrib/NameHash.h"

namespace vex {
namespace {

constexpr std::array<Keyword, 2> kKeywords = {{
    {"FALSE", AttributeToken::Bool, 0},
    {"TRUE", AttributeToken::Bool, 1},
}};

}  // namespace

std::optional<Keyword> FindKeyword(std::string_view identifier) {
  for (const Keyword& keyword : kKeywords) {
    if (CaseInsensitiveEqual()(keyword.text, identifier)) {
      return keyword;
    }
  }
  return std::nullopt;
}

}  // namespace vex
