#pragma once

#include <array>
#include <cctype>
#include <cstddef>
#include <string_view>

namespace vex {

// The lower-case mapping of every byte as tolower() gives it in the locale of the first lookup.
// Hashing and comparing names index this table instead of calling tolower() for every
// character, and a name hashes the same for the life of the process, whatever the locale does
// later.
class LowerCase {
 public:
  LowerCase() : table_(Table()) {}
  unsigned char operator()(char c) const { return table_[static_cast<unsigned char>(c)]; }

 private:
  using ByteTable = std::array<unsigned char, 256>;

  static const ByteTable& Table() {
    static const ByteTable table = [] {
      ByteTable lower{};
      for (std::size_t c = 0; c < lower.size(); ++c) {
        lower[c] = static_cast<unsigned char>(std::tolower(static_cast<int>(c)));
      }
      return lower;
    }();
    return table;
  }

  const ByteTable& table_;
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
