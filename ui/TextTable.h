#pragma once

#include <string>
#include <vector>

namespace vex {

// Lays rows of cells out as left-aligned columns two blanks apart, one line per row, each ended
// by a newline; the first row is usually the heading. Short rows leave their last cells empty.
// Control bytes in a cell are shown as escapes, so a cell never breaks its row.
std::string FormatTextTable(const std::vector<std::vector<std::string>>& rows);

}  // namespace vex
