#pragma once

#include <ctype.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vex {

// The lower-case mapping of the current locale, the table that tolower() itself reads. Hashing
// and comparing names fetch it once per name instead of calling tolower() for every character.
class LowerCase {
 public:
  LowerCase() : table_(*__ctype_tolower_loc()) {}
  unsigned char operator()(char c) const {
    return static_cast<unsigned char>(table_[static_cast<unsigned char>(c)]);
  }

 private:
  const std::int32_t* table_;
};

// Tag and symbol names match without regard to letter case: the hash multiplies by 5 and adds
// each character mapped to lower case.
struct CaseInsensitiveHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const {
    const LowerCase lower;
    std::size_t hash = 0;
    for (char c : name) {
      hash = hash * 5 + lower(c);
    }
    return hash;
  }
};

struct CaseInsensitiveEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    if (a.size() != b.size()) {
      return false;
    }
    const LowerCase lower;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i] != b[i] && lower(a[i]) != lower(b[i])) {
        return false;
      }
    }
    return true;
  }
};

// The same hash on the exact characters, for the string pool.
struct ExactHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const {
    std::size_t hash = 0;
    for (char c : text) {
      hash = hash * 5 + static_cast<unsigned char>(c);
    }
    return hash;
  }
};

}  // namespace vex
