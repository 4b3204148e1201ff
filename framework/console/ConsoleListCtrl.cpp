#include "framework/console/ConsoleListCtrl.h"

#include <algorithm>

#include "framework/Dialog.h"

namespace vex::fw {
namespace {

// The pretend font's average character width plus the margins of a header or cell.
constexpr int kCellMargin = 12;
constexpr int kListBorder = 4;

}  // namespace

ConsoleListCtrl::ConsoleListCtrl(CDialog& dialog, const res::ControlTemplate& layout)
    : ConsoleWnd(dialog, layout),
      outerWidth_(ConsolePixelsX(layout.rect.width)),
      singleSelection_(layout.Has(res::kSingleSelection)) {}

int ConsoleListCtrl::InsertColumn(int column, std::string_view heading, int width) {
  if (column < 0) {
    return -1;
  }
  column = std::min(column, GetColumnCount());
  columns_.insert(columns_.begin() + column, Column{std::string(heading), std::max(width, 0)});
  for (Row& row : rows_) {
    if (static_cast<int>(row.texts.size()) > column) {
      row.texts.insert(row.texts.begin() + column, std::string());
    }
  }
  return column;
}

std::string ConsoleListCtrl::GetColumnHeading(int column) const {
  if (column < 0 || column >= GetColumnCount()) {
    return {};
  }
  return columns_[static_cast<std::size_t>(column)].heading;
}

int ConsoleListCtrl::TextWidth(int column) const {
  std::size_t longest = columns_[static_cast<std::size_t>(column)].heading.size();
  for (const Row& row : rows_) {
    if (static_cast<int>(row.texts.size()) > column) {
      longest = std::max(longest, row.texts[static_cast<std::size_t>(column)].size());
    }
  }
  return static_cast<int>(longest) * kConsoleBaseX + kCellMargin;
}

void ConsoleListCtrl::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= GetColumnCount()) {
    return;
  }
  if (width == kAutoSizeUseHeader) {
    width = TextWidth(column);
    if (column == GetColumnCount() - 1) {
      // The last column sized to its header also fills what is left of the list.
      int others = 0;
      for (int i = 0; i < column; ++i) {
        others += columns_[static_cast<std::size_t>(i)].width;
      }
      width = std::max(width, outerWidth_ - kListBorder - others);
    }
  }
  columns_[static_cast<std::size_t>(column)].width = std::max(width, 0);
}

int ConsoleListCtrl::GetColumnWidth(int column) const {
  if (column < 0 || column >= GetColumnCount()) {
    return 0;
  }
  return columns_[static_cast<std::size_t>(column)].width;
}

int ConsoleListCtrl::InsertItem(int index, std::string_view text) {
  if (index < 0) {
    return -1;
  }
  index = std::min(index, GetItemCount());
  Row row;
  row.texts.emplace_back(text);
  rows_.insert(rows_.begin() + index, std::move(row));
  if (selectionMark_ >= index) {
    ++selectionMark_;
  }
  return index;
}

bool ConsoleListCtrl::DeleteItem(int index) {
  if (!ValidRow(index)) {
    return false;
  }
  const bool wasSelected = rows_[static_cast<std::size_t>(index)].selected;
  rows_.erase(rows_.begin() + index);
  if (selectionMark_ == index) {
    selectionMark_ = -1;
  } else if (selectionMark_ > index) {
    --selectionMark_;
  }
  if (wasSelected) {
    NotifyChanged();
  }
  return true;
}

bool ConsoleListCtrl::DeleteAllItems() {
  const bool anySelected = GetFirstSelected() >= 0;
  rows_.clear();
  selectionMark_ = -1;
  if (anySelected) {
    NotifyChanged();
  }
  return true;
}

std::string ConsoleListCtrl::GetItemText(int item, int column) const {
  if (!ValidRow(item) || column < 0) {
    return {};
  }
  const auto& texts = rows_[static_cast<std::size_t>(item)].texts;
  return column < static_cast<int>(texts.size()) ? texts[static_cast<std::size_t>(column)]
                                                 : std::string();
}

bool ConsoleListCtrl::SetItemText(int item, int column, std::string_view text) {
  if (!ValidRow(item) || column < 0 || column >= std::max(GetColumnCount(), 1)) {
    return false;
  }
  auto& texts = rows_[static_cast<std::size_t>(item)].texts;
  if (static_cast<int>(texts.size()) <= column) {
    texts.resize(static_cast<std::size_t>(column) + 1);
  }
  texts[static_cast<std::size_t>(column)] = std::string(text);
  return true;
}

void ConsoleListCtrl::SetItemData(int item, std::intptr_t data) {
  if (ValidRow(item)) {
    rows_[static_cast<std::size_t>(item)].data = data;
  }
}

std::intptr_t ConsoleListCtrl::GetItemData(int item) const {
  return ValidRow(item) ? rows_[static_cast<std::size_t>(item)].data : 0;
}

void ConsoleListCtrl::SetStateImage(int item, int image) {
  if (ValidRow(item)) {
    rows_[static_cast<std::size_t>(item)].stateImage = std::max(image, 0);
  }
}

int ConsoleListCtrl::GetStateImage(int item) const {
  return ValidRow(item) ? rows_[static_cast<std::size_t>(item)].stateImage : 0;
}

int ConsoleListCtrl::GetFirstSelected() const {
  const auto it = std::find_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.selected; });
  return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

void ConsoleListCtrl::SetItemSelected(int item, bool selected) {
  if (!ValidRow(item)) {
    return;
  }
  if (selected && singleSelection_) {
    for (int i = 0; i < GetItemCount(); ++i) {
      if (i != item && rows_[static_cast<std::size_t>(i)].selected) {
        rows_[static_cast<std::size_t>(i)].selected = false;
        NotifyChanged();
      }
    }
  }
  Row& row = rows_[static_cast<std::size_t>(item)];
  if (row.selected != selected) {
    row.selected = selected;
    NotifyChanged();
  }
}

void ConsoleListCtrl::NotifyChanged() {
  dialog_.DispatchNotify(id_, Notification::ItemChanged);
}

}  // namespace vex::fw
