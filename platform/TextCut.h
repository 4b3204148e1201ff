#pragma once

#include <cstddef>
#include <string_view>

namespace vex::platform {

// The longest start of `text` of at most `limit` bytes that ends between two characters: a
// UTF-8 character that the limit would split is left out whole. Bytes that are not UTF-8 (text
// in a single-byte code page) are cut at the limit itself.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit);

}  // namespace vex::platform
