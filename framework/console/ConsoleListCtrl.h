#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/console/ConsoleWnd.h"

namespace vex::fw {

// A report-view list kept in memory. Every change of a row's selection is reported to the
// dialog as ItemChanged at once, as a Windows list view notifies its parent.
class ConsoleListCtrl final : public ConsoleWnd<CListCtrl> {
 public:
  ConsoleListCtrl(CDialog& dialog, const res::ControlTemplate& layout);

  int InsertColumn(int column, std::string_view heading, int width) override;
  int GetColumnCount() const override { return static_cast<int>(columns_.size()); }
  std::string GetColumnHeading(int column) const override;
  void SetColumnWidth(int column, int width) override;
  int GetColumnWidth(int column) const override;
  int GetOuterWidth() const override { return outerWidth_; }
  // A terminal shows no icons; the rows keep their state image numbers.
  void SetStateImageList(const CImageList*) override {}

  int GetItemCount() const override { return static_cast<int>(rows_.size()); }
  int InsertItem(int index, std::string_view text) override;
  bool DeleteItem(int index) override;
  bool DeleteAllItems() override;
  std::string GetItemText(int item, int column) const override;
  bool SetItemText(int item, int column, std::string_view text) override;
  void SetItemData(int item, std::intptr_t data) override;
  std::intptr_t GetItemData(int item) const override;
  void SetStateImage(int item, int image) override;
  int GetStateImage(int item) const override;
  int GetFirstSelected() const override;
  void SetItemSelected(int item, bool selected) override;
  void SetSelectionMark(int item) override { selectionMark_ = ValidRow(item) ? item : -1; }
  int GetSelectionMark() const override { return selectionMark_; }
  void RedrawItems(int, int) override {}

 private:
  struct Column {
    std::string heading;
    int width;
  };
  struct Row {
    std::vector<std::string> texts;
    std::intptr_t data = 0;
    int stateImage = 0;
    bool selected = false;
  };

  bool ValidRow(int item) const { return item >= 0 && item < GetItemCount(); }
  int TextWidth(int column) const;
  void NotifyChanged();

  int outerWidth_;
  bool singleSelection_;
  std::vector<Column> columns_;
  std::vector<Row> rows_;
  int selectionMark_ = -1;
};

}  // namespace vex::fw
