#include "attrib/Keywords.h"

#include <array>
#include <cctype>

namespace vex {
namespace {

constexpr std::array<Keyword, 2> kKeywords = {{
    {"FALSE", AttributeToken::Bool, 0},
    {"TRUE", AttributeToken::Bool, 1},
}};

bool EqualIgnoringCase(const char* a, const char* b) {
  for (; *a != '\0' && *b != '\0'; ++a, ++b) {
    if (std::tolower(static_cast<unsigned char>(*a)) !=
        std::tolower(static_cast<unsigned char>(*b))) {
      return false;
    }
  }
  return *a == *b;
}

}  // namespace

std::optional<Keyword> FindKeyword(const char* identifier) {
  for (const Keyword& keyword : kKeywords) {
    if (EqualIgnoringCase(keyword.text, identifier)) {
      return keyword;
    }
  }
  return std::nullopt;
}

}  // namespace vex
