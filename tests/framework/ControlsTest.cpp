#include <gtest/gtest.h>

#include <string>

#include "RecordingDialog.h"
#include "framework/ImageList.h"
#include "framework/testing/BackEndForTests.h"

namespace vex::test {

using namespace fw;
namespace {

// The edit operations are checked on text that never wraps, where both back-ends agree.
class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dialog.Create()); }

  CConsoleEdit& Console() { return dialog.Control<CConsoleEdit>(res::IDC_CONSOLE); }
  CListCtrl& Players() { return dialog.Control<CListCtrl>(res::IDC_PLAYER_LIST); }
  int ItemChangedCount() const {
    int n = 0;
    for (const auto& [id, code] : dialog.notifications) {
      n += id == res::IDC_PLAYER_LIST && code == Notification::ItemChanged ? 1 : 0;
    }
    return n;
  }

  RecordingDialog dialog;
};

struct LineCase {
  const char* text;
  int lineCount;
  std::vector<int> lineStarts;
};

TEST_F(ControlsTest, ConsoleCountsLinesAsTheSystemEditDoes) {
  const LineCase cases[] = {
      {"", 1, {0}},
      {"a", 1, {0}},
      {"a\r\n", 2, {0, 3}},
      {"a\r\nbb\r\nccc", 3, {0, 3, 7}},
      {"a\r\r\nb", 2, {0, 4}},
      {"\r\n\r\n", 3, {0, 2, 4}},
  };
  for (const LineCase& c : cases) {
    Console().SetWindowText(c.text);
    EXPECT_EQ(Console().GetWindowText(), c.text);
    EXPECT_EQ(Console().GetLineCount(), c.lineCount) << c.text;
    for (int line = 0; line < c.lineCount; ++line) {
      EXPECT_EQ(Console().LineIndex(line), c.lineStarts[static_cast<std::size_t>(line)])
          << c.text << " line " << line;
    }
    EXPECT_EQ(Console().LineIndex(c.lineCount), -1) << c.text;
  }
}

struct EditCase {
  const char* name;
  const char* before;
  int selStart;  // kLimit stands for the text limit
  int selEnd;
  const char* inserted;
  const char* after;
  const char* printed;
};

constexpr int kLimit = -100;

TEST_F(ControlsTest, ConsoleEditOperations) {
  const EditCase cases[] = {
      {"append at the limit", "a\r\n", kLimit, kLimit, "b\r\n", "a\r\nb\r\n", "b\n"},
      {"append to empty", "", kLimit, kLimit, "first\r\n", "first\r\n", "first\n"},
      {"carriage returns kept", "", kLimit, kLimit, "x\r\r\n", "x\r\r\n", "x\n"},
      {"percent is text", "", kLimit, kLimit, "100%d %s\r\n", "100%d %s\r\n", "100%d %s\n"},
      {"trim the first two lines", "a\r\nb\r\nc\r\n", 0, 6, "", "c\r\n", ""},
      {"insert in the middle", "a\r\nc\r\n", 3, 3, "b\r\n", "a\r\nb\r\nc\r\n", ""},
      {"select all and replace", "a\r\nb", 0, -1, "z", "z", ""},
      {"reversed selection", "abcdef", 4, 2, "X", "abXef", ""},
      {"beyond the end clamps", "ab", 50, 60, "c", "abc", "c"},
  };
  for (const EditCase& c : cases) {
    Console().SetWindowText(c.before);
    const int limit = Console().GetLimitText();
    EXPECT_GT(limit, 100000) << c.name;
    Console().SetSel(c.selStart == kLimit ? limit : c.selStart,
                     c.selEnd == kLimit ? limit : c.selEnd);
    ::testing::internal::CaptureStdout();
    Console().ReplaceSel(c.inserted);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.printed) << c.name;
    EXPECT_EQ(Console().GetWindowText(), c.after) << c.name;
  }
}

TEST_F(ControlsTest, ConsoleTrimsLikeTheLinePrinterDoes) {
  Console().SetWindowText("");
  ::testing::internal::CaptureStdout();
  for (int i = 0; i < 250; ++i) {
    Console().SetSel(Console().GetLimitText(), Console().GetLimitText());
    Console().ReplaceSel("line " + std::to_string(i) + "\r\n");
  }
  const std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed.substr(0, 14), "line 0\nline 1\n");
  ASSERT_EQ(Console().GetLineCount(), 251);
  Console().SetRedraw(false);
  Console().SetSel(0, Console().LineIndex(188));
  Console().ScrollCaret();
  Console().ReplaceSel("");
  Console().SetRedraw(true);
  EXPECT_EQ(Console().GetLineCount(), 63);
  EXPECT_EQ(Console().GetWindowText().substr(0, 10), "line 188\r\n");
  Console().SetSel(Console().GetLimitText(), Console().GetLimitText());
  ::testing::internal::CaptureStdout();
  Console().ReplaceSel("next\r\n");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "next\n");
  EXPECT_EQ(Console().GetLineCount(), 64);
  EXPECT_EQ(Console().LineIndex(62), static_cast<int>(Console().GetWindowText().size()) - 6);
}

TEST_F(ControlsTest, ListKeepsRowsColumnsAndItemData) {
  CListCtrl& list = Players();
  const char* headings[] = {"Name", "Ping", "Kills"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(list.InsertColumn(i, headings[i], 40 + i), i);
  }
  EXPECT_EQ(list.GetColumnCount(), 3);
  EXPECT_EQ(list.GetColumnHeading(1), "Ping");
  list.SetColumnWidth(2, 77);
  EXPECT_EQ(list.GetColumnWidth(2), 77);

  EXPECT_EQ(list.InsertItem(0, "bob"), 0);
  EXPECT_EQ(list.InsertItem(0, "amy"), 0);
  EXPECT_EQ(list.InsertItem(99, "cid"), 2);  // past the end appends
  EXPECT_EQ(list.InsertItem(-1, "bad"), -1);
  ASSERT_EQ(list.GetItemCount(), 3);
  EXPECT_TRUE(list.SetItemText(1, 2, "7"));
  EXPECT_FALSE(list.SetItemText(5, 0, "x"));
  list.SetItemData(1, 0x10002);
  list.SetStateImage(1, 6);
  EXPECT_EQ(list.GetItemText(1, 0), "bob");
  EXPECT_EQ(list.GetItemText(1, 2), "7");
  EXPECT_EQ(list.GetItemText(1, 1), "");
  EXPECT_EQ(list.GetItemText(7, 0), "");
  EXPECT_EQ(list.GetItemData(1), 0x10002);
  EXPECT_EQ(list.GetStateImage(1), 6);
  EXPECT_EQ(list.GetStateImage(0), 0);

  EXPECT_TRUE(list.DeleteItem(0));
  EXPECT_FALSE(list.DeleteItem(5));
  EXPECT_EQ(list.GetItemText(0, 0), "bob");
  EXPECT_EQ(list.GetItemData(0), 0x10002);
  EXPECT_TRUE(list.DeleteAllItems());
  EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ControlsTest, EverySelectionChangeNotifiesTheDialog) {
  CListCtrl& list = Players();
  list.InsertColumn(0, "Name", 100);
  for (const char* name : {"a", "b", "c"}) {
    list.InsertItem(list.GetItemCount(), name);
  }
  EXPECT_EQ(list.GetFirstSelected(), -1);

  struct Step {
    const char* action;
    int item;
    bool selected;  // for "select"
    int firstSelectedAfter;
    int notificationsAfter;
  };
  const Step steps[] = {
      {"select", 1, true, 1, 1},   {"select", 1, true, 1, 1},  // no change, no notification
      {"select", 2, true, 2, 3},    // single selection: 1 loses it, 2 gains it
      {"select", 0, false, 2, 3},   // unselecting an unselected row changes nothing
      {"delete", 0, false, 1, 3},   // the selected row moves up without changing
      {"delete", 1, false, -1, 4},  // removing the selected row leaves none selected
      {"select", 0, true, 0, 5},   {"clear", 0, false, -1, 6},
  };
  for (const Step& step : steps) {
    const std::string action = step.action;
    if (action == "select") {
      list.SetItemSelected(step.item, step.selected);
    } else if (action == "delete") {
      list.DeleteItem(step.item);
    } else {
      list.DeleteAllItems();
    }
    EXPECT_EQ(list.GetFirstSelected(), step.firstSelectedAfter) << action << " " << step.item;
    EXPECT_EQ(ItemChangedCount(), step.notificationsAfter) << action << " " << step.item;
  }
}

TEST_F(ControlsTest, SelectionMarkFollowsItsRow) {
  CListCtrl& list = Players();
  list.InsertColumn(0, "Name", 100);
  for (const char* name : {"a", "b", "c"}) {
    list.InsertItem(list.GetItemCount(), name);
  }
  list.SetSelectionMark(1);
  EXPECT_EQ(list.GetSelectionMark(), 1);
  list.InsertItem(0, "first");
  EXPECT_EQ(list.GetSelectionMark(), 2);
  list.DeleteItem(0);
  EXPECT_EQ(list.GetSelectionMark(), 1);
  list.DeleteItem(1);
  EXPECT_EQ(list.GetSelectionMark(), -1);
  list.SetSelectionMark(9);
  EXPECT_EQ(list.GetSelectionMark(), -1);
}

TEST_F(ControlsTest, HeaderSizedLastColumnFillsTheList) {
  CListCtrl& levels = dialog.Control<CListCtrl>(res::IDC_LEVEL_LIST);
  CImageList images;
  ASSERT_TRUE(images.Create(16, 16, 9, 1));
  ASSERT_EQ(images.Add(res::IDI_BLACK_DOT), 0);
  levels.SetStateImageList(&images);
  levels.InsertColumn(0, "World", 10);
  levels.SetColumnWidth(0, kAutoSizeUseHeader);
  const int width = levels.GetColumnWidth(0);
  EXPECT_GT(width, levels.GetOuterWidth() / 2);
  EXPECT_LE(width, levels.GetOuterWidth());
  EXPECT_EQ(levels.InsertItem(0, "Arena"), 0);
  levels.SetStateImage(0, 1);
  EXPECT_EQ(levels.GetStateImage(0), 1);
}

TEST_F(ControlsTest, ButtonsComboAndWindowState) {
  CButton& boot = dialog.Control<CButton>(res::IDC_BOOT_PLAYER);
  EXPECT_FALSE(boot.IsWindowEnabled());
  boot.Click();
  EXPECT_TRUE(dialog.commands.empty());  // a disabled button does nothing
  boot.EnableWindow(true);
  boot.Click();
  EXPECT_EQ(dialog.commands, (std::vector<int>{res::IDC_BOOT_PLAYER}));
  EXPECT_EQ(boot.GetWindowText(), "&Boot Player");

  CButton& send = dialog.Control<CButton>(res::IDC_SEND);
  EXPECT_FALSE(send.IsWindowVisible());
  send.Click();
  EXPECT_EQ(dialog.commands.back(), res::IDC_SEND);
  EXPECT_FALSE(dialog.Item(res::IDC_START).IsWindowVisible());

  RecordingDialog select(res::IDD_SELECT_CONFIG);
  ASSERT_TRUE(select.Create());
  CComboBox& files = select.Control<CComboBox>(res::IDC_CONFIG_LIST);
  EXPECT_EQ(files.GetCurSel(), -1);
  EXPECT_EQ(files.GetWindowText(), "");
  EXPECT_EQ(files.AddString("b"), 0);
  EXPECT_EQ(files.AddString("a"), 0);
  EXPECT_EQ(files.AddString("C"), 2);
  files.SetCurSel(0);
  EXPECT_EQ(files.GetLBText(0), "a");
  EXPECT_EQ(files.GetLBText(1), "b");
  EXPECT_EQ(files.GetWindowText(), "a");
  files.SetCurSel(7);
  EXPECT_EQ(files.GetCurSel(), -1);
  EXPECT_EQ(files.GetCount(), 3);
}

}  // namespace
}  // namespace vex::test
