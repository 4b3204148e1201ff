#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The framework stands in for the Windows application framework and the Windows controls it
// wraps (edit, list view, combo box, group box, dialogs laid out in dialog units). Where a
// back-end copies how one of those behaves, its comment says "as Windows does" and names the
// behaviour, since the program and its operators expect it.
namespace vex::fw {

class CImageList;

// A child window of a dialog. Each back-end implements the controls; the dialog logic sees only
// these interfaces.
class CWnd {
 public:
  virtual ~CWnd() = default;
  virtual int GetDlgCtrlID() const = 0;
  virtual void EnableWindow(bool enable) = 0;
  virtual bool IsWindowEnabled() const = 0;
  virtual void ShowWindow(bool show) = 0;
  virtual bool IsWindowVisible() const = 0;
  virtual void SetWindowText(std::string_view text) = 0;
  virtual std::string GetWindowText() const = 0;
  virtual void SetFocus() = 0;
};

class CStatic : public CWnd {};

// A push button; Click() behaves as the operator's click: the dialog's OnCommand(id) runs.
class CButton : public CWnd {
 public:
  virtual void Click() = 0;
};

class CEdit : public CWnd {};

// The multi-line read-only console box, with the edit-control operations that the console uses.
// Line counts and indexes are of displayed lines: a wrapped line counts as several.
class CConsoleEdit : public CEdit {
 public:
  virtual int GetLineCount() const = 0;
  virtual int LineIndex(int line) const = 0;  // character offset where a displayed line starts
  virtual void SetSel(int start, int end) = 0;
  virtual void ReplaceSel(std::string_view text) = 0;
  virtual void ScrollCaret() = 0;
  virtual int GetLimitText() const = 0;
  virtual void SetRedraw(bool redraw) = 0;
};

inline constexpr int kAutoSizeUseHeader = -2;

class CListCtrl : public CWnd {
 public:
  virtual int InsertColumn(int column, std::string_view heading, int width) = 0;
  virtual int GetColumnCount() const = 0;
  virtual std::string GetColumnHeading(int column) const = 0;
  virtual void SetColumnWidth(int column, int width) = 0;  // kAutoSizeUseHeader fits the heading
  virtual int GetColumnWidth(int column) const = 0;
  virtual int GetOuterWidth() const = 0;  // pixels of the list's outer window rectangle
  virtual void SetStateImageList(const CImageList* images) = 0;

  virtual int GetItemCount() const = 0;
  virtual int InsertItem(int index, std::string_view text) = 0;  // -1 when it fails
  virtual bool DeleteItem(int index) = 0;
  virtual bool DeleteAllItems() = 0;
  virtual std::string GetItemText(int item, int column) const = 0;
  virtual bool SetItemText(int item, int column, std::string_view text) = 0;
  virtual void SetItemData(int item, std::intptr_t data) = 0;
  virtual std::intptr_t GetItemData(int item) const = 0;
  virtual void SetStateImage(int item, int image) = 0;  // 0 = none, n = n-th image of the list
  virtual int GetStateImage(int item) const = 0;
  virtual int GetFirstSelected() const = 0;  // -1 when no row is selected
  virtual void SetItemSelected(int item, bool selected) = 0;
  virtual void SetSelectionMark(int item) = 0;
  virtual int GetSelectionMark() const = 0;
  virtual void RedrawItems(int first, int last) = 0;
};

// A drop-down list that keeps its entries sorted.
class CComboBox : public CWnd {
 public:
  virtual int AddString(std::string_view text) = 0;  // index where it was placed
  virtual int GetCount() const = 0;
  virtual std::string GetLBText(int index) const = 0;
  virtual void SetCurSel(int index) = 0;
  virtual int GetCurSel() const = 0;  // -1 when none
};

}  // namespace vex::fw
