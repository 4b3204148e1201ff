#pragma once

#include <cstddef>
#include <string_view>

namespace vex {

// Tag and symbol names match without regard to letter case: the hash multiplies by 5 and adds
// each character mapped to lower case.
struct CaseInsensitiveHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const;
};

struct CaseInsensitiveEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

// The same hash on the exact characters, for the string pool.
struct ExactHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const;
};

}  // namespace vex
