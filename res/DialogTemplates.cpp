#include "res/DialogTemplates.h"

#include "res/Resource.h"

namespace vex::res {
namespace {

using enum ControlKind;

constexpr unsigned kInfoEdit = kReadOnly | kBorder | kTabStop | kAutoHorizontalScroll;
constexpr unsigned kButton = kTabStop;

constexpr ControlTemplate kServerControls[] = {
    {kStaticId, GroupBox, "Server Info", {7, 7, 270, 51}, kStyleNone},
    {kStaticId, Label, "Server Name:", {17, 17, 46, 12}, kStyleNone},
    {IDC_SERVER_NAME, Label, "<server name>", {67, 17, 120, 12}, kStyleNone},
    {kStaticId, Label, "Running Time:", {17, 41, 46, 12}, kStyleNone},
    {IDC_RUNNING_TIME, Label, "<server time>", {67, 41, 120, 12}, kStyleNone},
    {kStaticId, Label, "Current Players:", {18, 159, 50, 12}, kStyleNone},
    {IDC_TOTAL_PLAYERS, Edit, "", {244, 29, 20, 12}, kInfoEdit},
    {kStaticId, Label, "Total Players:", {197, 29, 43, 12}, kStyleNone},
    {IDC_PEAK_PLAYERS, Edit, "", {244, 17, 20, 12}, kInfoEdit},
    {kStaticId, Label, "Time in Level:", {313, 17, 45, 12}, kStyleNone},
    {IDC_LEVEL_TIME, Label, "Static", {361, 17, 37, 12}, kStyleNone},
    {kStaticId, Label, "Average Ping:", {108, 159, 45, 12}, kStyleNone},
    {IDC_AVERAGE_PING, Edit, "", {156, 159, 20, 12}, kInfoEdit},
    {kStaticId, GroupBox, "Players", {7, 59, 270, 115}, kStyleNone},
    {IDC_PLAYER_LIST,
     ListView,
     "",
     {17, 69, 250, 85},
     kReportView | kSingleSelection | kNoSortHeader | kBorder | kTabStop},
    {IDC_BOOT_PLAYER, PushButton, "&Boot Player", {197, 157, 70, 12}, kButton | kDisabled},
    {kStaticId, GroupBox, "Levels", {286, 7, 130, 167}, kStyleNone},
    {IDC_LEVEL_LIST,
     ListView,
     "",
     {296, 30, 110, 124},
     kReportView | kSingleSelection | kShowSelectionAlways | kNoColumnHeader | kNoLabelWrap |
         kBorder | kTabStop},
    {IDC_NEXT_LEVEL, PushButton, "&Next Level", {296, 157, 54, 12}, kButton},
    {IDC_SELECT_LEVEL, PushButton, "Select &Level", {352, 157, 54, 12}, kButton | kDisabled},
    {IDC_STOP_SERVER, PushButton, "S&top Server", {197, 41, 70, 12}, kButton},
    {kStaticId, GroupBox, "Console", {7, 176, 409, 80}, kStyleNone},
    {IDC_COMMAND,
     Edit,
     "",
     {17, 240, 330, 12},
     kBorder | kTabStop | kAutoHorizontalScroll | kInitialFocus},
    {IDC_CLEAR, PushButton, "Clear", {352, 240, 54, 12}, kButton},
    {IDC_CONSOLE,
     Edit,
     "",
     {17, 186, 389, 52},
     kMultiLine | kReadOnly | kVerticalScroll | kAutoVerticalScroll | kBorder | kTabStop},
    {IDC_SEND, PushButton, "*Send*", {388, 0, 35, 8}, kButton | kDefaultButton | kHidden},
    {IDC_START, PushButton, "*Button1*", {351, 0, 35, 8}, kButton | kHidden},
    {kStaticId, Label, "Game Type:", {17, 29, 46, 12}, kStyleNone},
    {IDC_GAME_TYPE, Label, "<game type>", {67, 29, 120, 12}, kStyleNone},
    {kStaticId, Label, "Peak Players:", {197, 17, 43, 12}, kStyleNone},
    {IDC_PLAYERS, Label, "<players>", {70, 159, 30, 12}, kStyleNone},
};

constexpr ControlTemplate kSelectConfigControls[] = {
    {kStaticId, Label, "Server Config File:", {10, 15, 140, 10}, kStyleNone},
    {IDC_CONFIG_LIST,
     ComboBox,
     "",
     {10, 30, 140, 55},
     kDropDownList | kSorted | kVerticalScroll | kTabStop},
    {1, PushButton, "OK", {10, 55, 50, 14}, kDefaultButton | kTabStop},
    {2, PushButton, "Cancel", {100, 55, 50, 14}, kTabStop},
};

// The lists and the console take the extra room: one vertical line runs through the left lists
// and groups, one through the level list left of "Time in Level:" (so that the label and its
// value move together, and the command field reaches as far as Clear moves); one horizontal line
// through the lists, one through the console.
constexpr StretchSeam kServerSeamsX[] = {{190, 60}, {312, 40}};
constexpr StretchSeam kServerSeamsY[] = {{100, 50}, {200, 50}};

constexpr DialogTemplate kDialogs[] = {
    {IDD_SERVER,
     "VexServer",
     "MS Sans Serif",
     8,
     {0, 0, 423, 263},
     kPopup | kCaption | kSystemMenu | kMinimizeBox | kModalFrame,
     kServerControls,
     kServerSeamsX,
     kServerSeamsY},
    {IDD_SELECT_CONFIG,
     "Select Config",
     "MS Sans Serif",
     8,
     {0, 0, 162, 81},
     kPopup | kCaption | kSystemMenu | kModalFrame,
     kSelectConfigControls,
     {},
     {}},
};

}  // namespace

const ControlTemplate* DialogTemplate::FindControl(int controlId) const {
  if (controlId == kStaticId) {
    return nullptr;
  }
  for (const ControlTemplate& control : controls) {
    if (control.id == controlId) {
      return &control;
    }
  }
  return nullptr;
}

const DialogTemplate* FindDialogTemplate(int id) {
  for (const DialogTemplate& dialog : kDialogs) {
    if (dialog.id == id) {
      return &dialog;
    }
  }
  return nullptr;
}

}  // namespace vex::res
