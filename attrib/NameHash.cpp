#include "attrib/NameHash.h"

#include <cctype>

namespace vex {
namespace {

unsigned char Lower(char c) {
  return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

std::size_t CaseInsensitiveHash::operator()(std::string_view name) const {
  std::size_t hash = 0;
  for (char c : name) {
    hash = hash * 5 + Lower(c);
  }
  return hash;
}

bool CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) {
      return false;
    }
  }
  return true;
}

std::size_t ExactHash::operator()(std::string_view text) const {
  std::size_t hash = 0;
  for (char c : text) {
    hash = hash * 5 + static_cast<unsigned char>(c);
  }
  return hash;
}

}  // namespace vex
