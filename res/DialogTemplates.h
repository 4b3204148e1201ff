#pragma once

#include <span>
#include <string_view>

namespace vex::res {

// A rectangle in dialog units: x and width in quarters of the dialog font's average character
// width, y and height in eighths of its height.
struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class ControlKind { GroupBox, Label, Edit, PushButton, ListView, ComboBox };

// Style bits of a control; a multi-line edit is the console box.
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kHidden = 1u << 0,
  kDisabled = 1u << 1,
  kDefaultButton = 1u << 2,
  kReadOnly = 1u << 3,
  kMultiLine = 1u << 4,
  kTabStop = 1u << 5,
  kVerticalScroll = 1u << 6,
  kAutoHorizontalScroll = 1u << 7,
  kAutoVerticalScroll = 1u << 8,
  kSorted = 1u << 9,
  kDropDownList = 1u << 10,
  kBorder = 1u << 11,
  kReportView = 1u << 12,
  kSingleSelection = 1u << 13,
  kNoSortHeader = 1u << 14,
  kNoColumnHeader = 1u << 15,
  kShowSelectionAlways = 1u << 16,
  kNoLabelWrap = 1u << 17,
  // Takes the focus when the dialog opens, ahead of the first tab stop (which is read-only in
  // the status window) without changing the tab order.
  kInitialFocus = 1u << 18,
};

inline constexpr int kStaticId = -1;

struct ControlTemplate {
  int id = kStaticId;
  ControlKind kind = ControlKind::Label;
  std::string_view text;
  DialogRect rect;
  unsigned style = kStyleNone;

  bool Has(ControlStyle flag) const { return (style & flag) != 0; }
};

enum DialogStyle : unsigned {
  kPopup = 1u << 0,
  kCaption = 1u << 1,
  kSystemMenu = 1u << 2,
  kMinimizeBox = 1u << 3,
  kModalFrame = 1u << 4,
};

// Where a resizable dialog puts the room it gains: a line at `at` dialog units takes `percent` of
// the extra width (or height); a control that spans the line grows, one past it moves along.
struct StretchSeam {
  int at = 0;
  int percent = 0;
};

// A dialog layout; the controls are listed in tab order. Without seams it keeps its size.
struct DialogTemplate {
  int id = 0;
  std::string_view caption;
  std::string_view fontName;
  int fontPoints = 0;
  DialogRect rect;
  unsigned style = 0;
  std::span<const ControlTemplate> controls;
  std::span<const StretchSeam> seamsX;
  std::span<const StretchSeam> seamsY;

  const ControlTemplate* FindControl(int controlId) const;
};

// The layout stored under a dialog id, or null.
const DialogTemplate* FindDialogTemplate(int id);

}  // namespace vex::res
