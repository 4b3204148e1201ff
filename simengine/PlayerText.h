#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vex::sim {

// Text from the network on its way into a game message: printable ASCII only (no line feed,
// no zero byte, nothing a reader could take for a field separator), blanks trimmed at both
// ends, at most `limit` bytes.
std::string CleanText(std::string_view text, std::size_t limit);

}  // namespace vex::sim
