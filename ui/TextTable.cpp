#include "ui/TextTable.h"

#include <algorithm>

#include "framework/VisibleText.h"

namespace vex {

std::string FormatTextTable(const std::vector<std::vector<std::string>>& cells) {
  // A cell holds text from the game (a player's name); its control bytes must not break a row.
  std::vector<std::vector<std::string>> rows;
  rows.reserve(cells.size());
  for (const auto& row : cells) {
    std::vector<std::string>& visible = rows.emplace_back();
    for (const std::string& cell : row) {
      visible.push_back(fw::VisibleText(cell, fw::LineFeeds::Escape));
    }
  }
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (std::size_t column = 0; column < row.size(); ++column) {
      widths[column] = std::max(widths[column], row[column].size());
    }
  }
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t column = 0; column < row.size(); ++column) {
      if (column > 0) {
        line.append(2, ' ');
      }
      line += row[column];
      line.append(widths[column] - row[column].size(), ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line;
    text += '\n';
  }
  return text;
}

}  // namespace vex
