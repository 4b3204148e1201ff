#include "framework/console/ConsoleControls.h"

#include <algorithm>
#include <cctype>

#include "framework/Dialog.h"

namespace vex::fw {
namespace {

// Sorted lists compare without regard to case, as Windows list boxes do.
bool LessIgnoringCase(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) <
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

void ConsoleButton::Click() {
  if (enabled_) {
    dialog_.DispatchCommand(id_);
  }
}

ConsoleComboBox::ConsoleComboBox(CDialog& dialog, const res::ControlTemplate& layout)
    : ConsoleWnd(dialog, layout), sorted_(layout.Has(res::kSorted)) {}

int ConsoleComboBox::AddString(std::string_view text) {
  auto at = entries_.end();
  if (sorted_) {
    at = std::upper_bound(
        entries_.begin(), entries_.end(), text,
        [](std::string_view a, const std::string& b) { return LessIgnoringCase(a, b); });
  }
  const int index = static_cast<int>(at - entries_.begin());
  entries_.insert(at, std::string(text));
  if (selected_ >= index) {
    ++selected_;
  }
  return index;
}

std::string ConsoleComboBox::GetLBText(int index) const {
  if (index < 0 || index >= GetCount()) {
    return {};
  }
  return entries_[static_cast<std::size_t>(index)];
}

void ConsoleComboBox::SetCurSel(int index) {
  selected_ = (index >= 0 && index < GetCount()) ? index : -1;
}

void ConsoleComboBox::SetWindowText(std::string_view text) {
  const auto it = std::find(entries_.begin(), entries_.end(), text);
  if (it != entries_.end()) {
    selected_ = static_cast<int>(it - entries_.begin());
  }
}

std::string ConsoleComboBox::GetWindowText() const {
  return GetLBText(selected_);
}

}  // namespace vex::fw
