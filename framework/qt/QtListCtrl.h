#pragma once

#include <QPersistentModelIndex>
#include <QTreeWidget>

#include "framework/Controls.h"
#include "framework/qt/QtWnd.h"

namespace vex::fw {

// A report-view list on a QTreeWidget: one top-level item per row, state images as the first
// column's icon. Every row whose selection changes is reported to the dialog as ItemChanged.
class QtListCtrl final : public QtWnd<CListCtrl, QTreeWidget> {
 public:
  QtListCtrl(CDialog& dialog, const res::ControlTemplate& layout, QWidget* parent);

  void SetWindowText(std::string_view) override {}
  std::string GetWindowText() const override { return {}; }

  int InsertColumn(int column, std::string_view heading, int width) override;
  int GetColumnCount() const override { return emptyColumnList_ ? 0 : widget_->columnCount(); }
  std::string GetColumnHeading(int column) const override;
  void SetColumnWidth(int column, int width) override;
  int GetColumnWidth(int column) const override;
  int GetOuterWidth() const override { return widget_->width(); }
  void SetStateImageList(const CImageList* images) override;

  int GetItemCount() const override { return widget_->topLevelItemCount(); }
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
  void SetSelectionMark(int item) override;
  int GetSelectionMark() const override;
  void RedrawItems(int first, int last) override;

 private:
  QTreeWidgetItem* Row(int item) const { return widget_->topLevelItem(item); }
  // The row's state image, or an empty slot of its size once the list has state images.
  void ShowStateImage(QTreeWidgetItem* row) const;
  void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);

  const CImageList* images_ = nullptr;
  bool emptyColumnList_ = true;  // a tree widget always has one column; the list starts with none
  QPersistentModelIndex selectionMark_;
};

}  // namespace vex::fw
