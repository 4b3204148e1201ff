#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTreeWidget>
#include <QWindow>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "RecordingDialog.h"
#include "framework/ImageList.h"
#include "framework/PictureWindow.h"
#include "framework/Screenshot.h"
#include "framework/TerminalStyle.h"
#include "framework/qt/QtConsoleEdit.h"
#include "framework/qt/QtDialogHost.h"
#include "framework/qt/QtResources.h"
#include "framework/testing/BackEndForTests.h"

namespace vex::test {

using namespace fw;
namespace {

using vex::test::PumpUntil;

// Says no to closing unless told otherwise, like the status window while a server runs.
class GuardedDialog : public RecordingDialog {
 public:
  bool allowCancel = false;

 protected:
  void OnCancel() override {
    if (allowCancel) {
      CDialog::OnCancel();
    }
  }
  void OnSize(int width, int height) override { lastSize = QSize(width, height); }

 public:
  QSize lastSize;
};

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vex::test::RunningFrontEnd(), FrontEnd::Window);
    ASSERT_TRUE(dialog.Create());
    window = QtDialogHost::WindowOf(&dialog);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  }

  template <class Widget>
  Widget* WidgetOf(int id) {
    const res::ControlTemplate* layout = res::FindDialogTemplate(res::IDD_SERVER)->FindControl(id);
    const DialogUnits units(DialogFont());
    for (Widget* widget : window->findChildren<Widget*>()) {
      if (widget->geometry().topLeft() == units.Rect(layout->rect).topLeft()) {
        return widget;
      }
    }
    return nullptr;
  }

  QPoint ClearButton() { return WidgetOf<QPushButton>(res::IDC_CLEAR)->geometry().center(); }

  GuardedDialog dialog;
  QWidget* window = nullptr;
};

TEST_F(QtWindowTest, StatusWindowIsLaidOutInDialogUnits) {
  const DialogUnits units(DialogFont());
  EXPECT_GE(units.BaseX(), 4);
  EXPECT_LE(units.BaseX(), 12);
  EXPECT_GE(units.BaseY(), 9);
  EXPECT_EQ(window->windowTitle(), "VexServer");
  EXPECT_EQ(window->size(), QSize(units.X(423), units.Y(263)));
  EXPECT_EQ(dialog.Control<CListCtrl>(res::IDC_PLAYER_LIST).GetOuterWidth(), units.X(250));

  struct Case {
    int id;
    res::DialogRect rect;
  };
  for (const Case& c :
       {Case{res::IDC_CONSOLE, {17, 186, 389, 52}}, Case{res::IDC_PLAYER_LIST, {17, 69, 250, 85}},
        Case{res::IDC_CLEAR, {352, 240, 54, 12}}}) {
    QWidget* widget = WidgetOf<QWidget>(c.id);
    ASSERT_NE(widget, nullptr) << c.id;
    EXPECT_EQ(widget->geometry(), units.Rect(c.rect)) << c.id;
  }
  EXPECT_EQ(WidgetOf<QPushButton>(res::IDC_NEXT_LEVEL)->text(), "&Next Level");
}

TEST_F(QtWindowTest, HiddenButtonsNeverShowAndHeadersFollowTheTemplate) {
  for (int id : {res::IDC_SEND, res::IDC_START}) {
    EXPECT_FALSE(dialog.Item(id).IsWindowVisible()) << id;
  }
  int visibleButtons = 0;
  for (QPushButton* button : window->findChildren<QPushButton*>()) {
    if (button->isVisible()) {
      EXPECT_FALSE(button->text().startsWith('*')) << button->text().toStdString();
      ++visibleButtons;
    }
  }
  EXPECT_EQ(visibleButtons, 5);
  const auto lists = window->findChildren<QTreeWidget*>();
  ASSERT_EQ(lists.size(), 2);
  int hiddenHeaders = 0;
  for (QTreeWidget* list : lists) {
    hiddenHeaders += list->isHeaderHidden() ? 1 : 0;
  }
  EXPECT_EQ(hiddenHeaders, 1);
}

TEST_F(QtWindowTest, EnterPressesTheHiddenDefaultButtonAndKeepsTheWindow) {
  dialog.Item(res::IDC_COMMAND).SetFocus();
  for (char c : std::string("say hi")) {
    QTest::keyClick(window->windowHandle(), c);
  }
  EXPECT_EQ(dialog.Item(res::IDC_COMMAND).GetWindowText(), "say hi");
  QTest::keyClick(window->windowHandle(), Qt::Key_Return);
  QTest::keyClick(window->windowHandle(), Qt::Key_Enter);
  EXPECT_EQ(CountOf(dialog.commands, res::IDC_SEND), 2);
  EXPECT_EQ(CountOf(dialog.commands, IDOK), 0);
  EXPECT_TRUE(dialog.IsWindowVisible());
}

TEST_F(QtWindowTest, EscapeAndTheCloseBoxAskTheDialog) {
  QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
  window->close();
  EXPECT_EQ(CountOf(dialog.commands, IDCANCEL), 2);
  EXPECT_TRUE(dialog.IsWindowVisible());  // the dialog said no

  dialog.allowCancel = true;
  window->close();
  EXPECT_EQ(CountOf(dialog.commands, IDCANCEL), 3);
  EXPECT_FALSE(dialog.IsWindowVisible());
}

TEST_F(QtWindowTest, TheDialogSeesInputFirstAndMaySwallowIt) {
  struct Case {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    InputEvent expected;
  };
  dialog.Item(res::IDC_COMMAND).SetFocus();
  dialog.swallowInput = true;
  for (const Case& c : {Case{Qt::Key_A, Qt::NoModifier, InputEvent::KeyDown},
                        Case{Qt::Key_X, Qt::AltModifier, InputEvent::SysKeyDown},
                        Case{Qt::Key_Return, Qt::NoModifier, InputEvent::KeyDown}}) {
    dialog.inputs.clear();
    QTest::keyClick(window->windowHandle(), c.key, c.modifiers);
    // With Alt held, the Alt key's own press comes first, a system key as well.
    ASSERT_EQ(dialog.inputs.size(), c.modifiers == Qt::NoModifier ? 1u : 2u) << c.key;
    EXPECT_EQ(dialog.inputs.back(), c.expected) << c.key;
  }
  EXPECT_EQ(dialog.Item(res::IDC_COMMAND).GetWindowText(), "");
  EXPECT_TRUE(dialog.commands.empty());  // the swallowed Enter pressed nothing

  dialog.inputs.clear();
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
  ASSERT_EQ(dialog.inputs.size(), 1u);
  EXPECT_EQ(dialog.inputs[0], InputEvent::MouseDown);

  dialog.swallowInput = false;
  QTest::keyClick(window->windowHandle(), Qt::Key_B);
  EXPECT_EQ(dialog.Item(res::IDC_COMMAND).GetWindowText(), "b");
}

TEST_F(QtWindowTest, ConsoleCountsDisplayedLinesOfWrappedText) {
  CConsoleEdit& console = dialog.Control<CConsoleEdit>(res::IDC_CONSOLE);
  std::string longLine;
  for (int i = 0; i < 60; ++i) {
    longLine += "word" + std::to_string(i) + " ";
  }
  console.SetSel(console.GetLimitText(), console.GetLimitText());
  console.ReplaceSel("short\r\n");
  console.SetSel(console.GetLimitText(), console.GetLimitText());
  console.ReplaceSel(longLine + "\r\n");
  const int narrow = console.GetLineCount();
  EXPECT_GE(narrow, 5);  // "short", at least three lines of the long one, the empty last line

  // Every displayed line starts after the one before it, inside the long line's text.
  int previous = console.LineIndex(1);
  EXPECT_EQ(previous, 7);
  for (int line = 2; line < narrow - 1; ++line) {
    const int start = console.LineIndex(line);
    EXPECT_GT(start, previous) << line;
    EXPECT_LT(start, 7 + static_cast<int>(longLine.size())) << line;
    previous = start;
  }
  EXPECT_EQ(console.LineIndex(narrow - 1), static_cast<int>(console.GetWindowText().size()));
  EXPECT_EQ(console.LineIndex(narrow), -1);

  window->resize(window->width() * 2, window->height());
  EXPECT_LT(console.GetLineCount(), narrow);
  EXPECT_GT(console.GetLineCount(), 2);

  // Trimming to a displayed line keeps the rest of the text as it was.
  const int cut = console.LineIndex(1);
  console.SetSel(0, cut);
  console.ReplaceSel("");
  EXPECT_EQ(console.GetWindowText(), longLine + "\r\n");
}

// The operator's own lines (printed in the terminal's dimmed style) take a colour of their own;
// the same text printed as any other line does not.
TEST_F(QtWindowTest, ConsoleShowsOperatorLinesInTheirOwnColour) {
  CConsoleEdit& console = dialog.Control<CConsoleEdit>(res::IDC_CONSOLE);
  const auto print = [&](const std::string& line) {
    console.SetSel(console.GetLimitText(), console.GetLimitText());
    console.ReplaceSel(line + "\r\n");
  };
  print("<< Server >>  say hello");
  {
    const TerminalStyleScope dimmed(TerminalStyle::Dim);
    print("<< Server >>  say hello");
  }
  print("<< Server >>  say hello");
  const QTextDocument* document = WidgetOf<QPlainTextEdit>(res::IDC_CONSOLE)->document();
  std::vector<bool> operatorColoured;
  for (QTextBlock block = document->begin(); block.isValid() && block.length() > 1;
       block = block.next()) {
    operatorColoured.push_back(block.begin().fragment().charFormat().foreground().color() ==
                               QtConsoleEdit::kOperatorColour);
  }
  EXPECT_EQ(operatorColoured, (std::vector<bool>{false, true, false}));
}

// A label too narrow for its text shows what fits and an ellipsis, cut between characters (here
// two-byte and four-byte ones), and gives the whole text, escaped, as its tooltip.
TEST_F(QtWindowTest, ALabelTooNarrowForItsTextEndsInAnEllipsisWithTheTextAsTooltip) {
  CWnd& name = dialog.Item(res::IDC_SERVER_NAME);
  std::string whole = "<b>";
  for (int i = 0; i < 30; ++i) {
    whole += "\xc3\xa9\xf0\x9f\x98\x80";  // é and an emoji
  }
  name.SetWindowText(whole);
  EXPECT_EQ(name.GetWindowText(), whole);
  const auto* label = WidgetOf<QLabel>(res::IDC_SERVER_NAME);
  ASSERT_NE(label, nullptr);
  const QString shown = label->text();
  ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
  const QString kept = shown.chopped(1);
  EXPECT_TRUE(QString::fromStdString(whole).startsWith(kept)) << shown.toStdString();
  EXPECT_FALSE(kept.isEmpty() || kept.back().isHighSurrogate()) << shown.toStdString();
  EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());
  EXPECT_TRUE(label->toolTip().contains(QString::fromStdString(whole).toHtmlEscaped()))
      << label->toolTip().toStdString();

  name.SetWindowText("Short");
  EXPECT_EQ(label->text(), "Short");
  EXPECT_TRUE(label->toolTip().isEmpty());
}

// A caption of the layout that its font makes a little too wide keeps its words.
TEST_F(QtWindowTest, CaptionsOfTheLayoutAreNeverShortened) {
  std::vector<QString> captions;
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    captions.push_back(label->text());
  }
  for (const char* caption : {"Current Players:", "Average Ping:", "Server Name:"}) {
    EXPECT_NE(std::find(captions.begin(), captions.end(), QString(caption)), captions.end())
        << caption;
  }
}

// Only "\r\n" (with the carriage returns just before it) breaks a console line; a lone carriage
// return or line feed is shown as a mark, never as a break.
TEST_F(QtWindowTest, ConsoleBreaksLinesOnlyAtCarriageReturnAndLineFeed) {
  struct Case {
    const char* text;
    const char* shown;  // the console's document: "\n" separates its lines, U+200B shows nothing
  };
  CConsoleEdit& console = dialog.Control<CConsoleEdit>(res::IDC_CONSOLE);
  auto* edit = window->findChild<QPlainTextEdit*>();
  for (const Case& c : {Case{"plain\r\n", "plain\n"}, Case{"two\nparts\r\n", "two␊parts\n"},
                        Case{"crlf\r\r\n", "crlf\u200B\n"}, Case{"back\rspace\r\n", "back␍space\n"},
                        Case{"end\r", "end␍"}, Case{"\n\r\n", "␊\n"}}) {
    console.SetWindowText("");
    console.SetSel(console.GetLimitText(), console.GetLimitText());
    console.ReplaceSel(c.text);
    EXPECT_EQ(edit->toPlainText().toStdString(), c.shown) << c.text;
  }
  // The marks read back as the characters they stand for.
  console.SetWindowText("");
  console.ReplaceSel("a\nb\rc\r\n");
  EXPECT_EQ(console.GetWindowText(), "a\nb\rc\r\n");
  EXPECT_EQ(console.GetLineCount(), 2);
}

// The console box makes at most one scroll bar decision wait for the event loop, however many
// lines arrive before it runs; the decision must still come. The status window's console always
// shows its bar, so the test lets it show the bar only as needed.
TEST_F(QtWindowTest, ConsoleDecidesOnItsScrollBarAfterLinesPrintedWithoutEvents) {
  CConsoleEdit& console = dialog.Control<CConsoleEdit>(res::IDC_CONSOLE);
  auto* edit = window->findChild<QPlainTextEdit*>();
  edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  console.SetWindowText("");
  ASSERT_TRUE(PumpUntil([&] { return !edit->verticalScrollBar()->isVisible(); }));
  for (int line = 0; line < 300; ++line) {
    console.SetSel(console.GetLimitText(), console.GetLimitText());
    console.ReplaceSel("line " + std::to_string(line) + "\r\n");
  }
  EXPECT_TRUE(PumpUntil([&] { return edit->verticalScrollBar()->isVisible(); }));
  console.SetWindowText("");
  EXPECT_TRUE(PumpUntil([&] { return !edit->verticalScrollBar()->isVisible(); }));
}

TEST_F(QtWindowTest, ResizingGivesTheRoomToTheListsAndTheConsole) {
  const QSize before = window->size();
  QTreeWidget* playerTree = WidgetOf<QTreeWidget>(res::IDC_PLAYER_LIST);
  const QRect players = playerTree->geometry();
  QWidget* consoleWidget = window->findChild<QPlainTextEdit*>();
  const QRect console = consoleWidget->geometry();
  QPushButton* clear = WidgetOf<QPushButton>(res::IDC_CLEAR);
  const QRect clearBefore = clear->geometry();
  const int outer = dialog.Control<CListCtrl>(res::IDC_PLAYER_LIST).GetOuterWidth();

  window->resize(before + QSize(200, 100));
  EXPECT_EQ(dialog.lastSize, before + QSize(200, 100));
  EXPECT_EQ(consoleWidget->width(), console.width() + 200);
  EXPECT_EQ(consoleWidget->height(), console.height() + 50);
  EXPECT_EQ(clear->geometry().topLeft(), clearBefore.topLeft() + QPoint(200, 100));
  EXPECT_EQ(clear->size(), clearBefore.size());
  EXPECT_EQ(dialog.Control<CListCtrl>(res::IDC_PLAYER_LIST).GetOuterWidth(), outer + 120);
  EXPECT_EQ(playerTree->height(), players.height() + 50);

  window->resize(before - QSize(100, 100));  // never smaller than the layout
  EXPECT_EQ(window->size(), before);
}

TEST_F(QtWindowTest, ListShowsStateImagesAndReportsDoubleClicks) {
  CListCtrl& levels = dialog.Control<CListCtrl>(res::IDC_LEVEL_LIST);
  CImageList images;
  ASSERT_TRUE(images.Create(16, 16, 9, 1));
  images.Add(res::IDI_BLACK_DOT);
  levels.SetStateImageList(&images);
  levels.InsertColumn(0, "World", 10);
  levels.SetColumnWidth(0, kAutoSizeUseHeader);
  levels.InsertItem(0, "Arena");
  levels.InsertItem(1, "Docks");
  levels.SetStateImage(1, 1);

  QTreeWidget* tree = WidgetOf<QTreeWidget>(res::IDC_LEVEL_LIST);
  ASSERT_NE(tree, nullptr);
  // The unmarked row keeps an empty slot where the marked one shows its image: one row height,
  // one text column.
  const auto painted = [&](int row) {
    const QImage image = tree->topLevelItem(row)->icon(0).pixmap(16, 16).toImage();
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (qAlpha(image.pixel(x, y)) != 0) {
          return true;
        }
      }
    }
    return false;
  };
  EXPECT_FALSE(painted(0));
  EXPECT_TRUE(painted(1));
  EXPECT_EQ(tree->visualItemRect(tree->topLevelItem(0)).height(),
            tree->visualItemRect(tree->topLevelItem(1)).height());
  EXPECT_GE(levels.GetColumnWidth(0), tree->viewport()->width() - 1);

  const QRect row = tree->visualItemRect(tree->topLevelItem(1));
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
  EXPECT_EQ(levels.GetFirstSelected(), 1);
  EXPECT_EQ(levels.GetSelectionMark(), 1);
  QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
  int doubleClicks = 0;
  int changes = 0;
  for (const auto& [id, code] : dialog.notifications) {
    doubleClicks += id == res::IDC_LEVEL_LIST && code == Notification::DoubleClick ? 1 : 0;
    changes += id == res::IDC_LEVEL_LIST && code == Notification::ItemChanged ? 1 : 0;
  }
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(changes, 1);
}

// A dialog opened over the window, with the window as its parent or with none, is the one the
// operator uses: its controls take keys, the window below takes no input until it ends.
TEST_F(QtWindowTest, ADialogOpenedOverTheWindowTakesTheInputAndTheWindowBelowWaits) {
  for (const bool withParent : {true, false}) {
    RecordingDialog over(res::IDD_SELECT_CONFIG, withParent ? &dialog : nullptr);
    ASSERT_TRUE(over.Create());
    QWidget* top = QtDialogHost::WindowOf(&over);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(top));
    auto* list = top->findChild<QComboBox*>();
    ASSERT_NE(list, nullptr);
    list->addItems({"alpha", "beta"});
    list->setCurrentIndex(0);
    EXPECT_TRUE(list->isEnabled()) << withParent;
    EXPECT_EQ(QApplication::activeModalWidget(), top) << withParent;
    EXPECT_LE((top->frameGeometry().center() - window->frameGeometry().center()).manhattanLength(),
              2)
        << withParent;

    // The window below ignores the operator's clicks while the dialog is open.
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, ClearButton());
    EXPECT_EQ(CountOf(dialog.commands, res::IDC_CLEAR), 0) << withParent;

    list->setFocus();
    QTest::keyClick(top->windowHandle(), Qt::Key_Down);
    EXPECT_EQ(list->currentText(), "beta") << withParent;
    QTest::keyClick(top->windowHandle(), Qt::Key_Return);
    EXPECT_EQ(CountOf(over.commands, IDOK), 1) << withParent;
    EXPECT_FALSE(top->isVisible()) << withParent;
  }
  // Once the dialog has gone, the window below is the operator's again, and was never disabled.
  EXPECT_TRUE(window->isEnabled());
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, ClearButton());
  EXPECT_EQ(CountOf(dialog.commands, res::IDC_CLEAR), 1);
}

// The top line of a group frame in window pixels: the first row near its right edge that differs
// from the background inside it (the title never reaches so far right).
int FrameTop(QWidget* group) {
  const QImage picture = group->grab().toImage();
  const int background = qGray(picture.pixel(picture.width() / 2, picture.height() / 2));
  for (int y = 0; y < picture.height(); ++y) {
    if (std::abs(qGray(picture.pixel(picture.width() - 4, y)) - background) > 16) {
      return group->y() + y;
    }
  }
  return group->y() + picture.height();
}

TEST_F(QtWindowTest, GroupFramesRunThroughTheirTitlesAndHoldTheirControls) {
  const auto groups = window->findChildren<QGroupBox*>();
  ASSERT_EQ(groups.size(), 4);
  for (QGroupBox* group : groups) {
    const int top = FrameTop(group);
    // The line runs through the title, as Windows draws a group box.
    EXPECT_LT(top, group->y() + QFontMetrics(group->font()).height())
        << group->title().toStdString();
    for (QWidget* control : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (control != group && !control->isHidden() &&
          group->geometry().contains(control->geometry()) && !qobject_cast<QGroupBox*>(control)) {
        EXPECT_LT(top, control->y())
            << group->title().toStdString() << " crosses " << control->metaObject()->className()
            << " at " << control->y();
      }
    }
  }
}

TEST_F(QtWindowTest, ListHeaderPaintsTheRoomRightOfItsLastColumn) {
  CListCtrl& players = dialog.Control<CListCtrl>(res::IDC_PLAYER_LIST);
  players.InsertColumn(0, "A", 60);
  players.InsertColumn(1, "B", 60);
  auto* header = WidgetOf<QTreeWidget>(res::IDC_PLAYER_LIST)->header();
  ASSERT_LT(header->length() + 20, header->viewport()->width());
  const QImage picture = header->viewport()->grab().toImage();
  // Beside the last heading's right edge, on either side: the same heading face.
  const int y = picture.height() / 3;
  EXPECT_EQ(picture.pixel(header->length() - 10, y), picture.pixel(header->length() + 10, y));
}

TEST_F(QtWindowTest, ControlsOfOneRowKeepTheirGapsWhenTheWindowGrows) {
  QLabel* timeInLevel = nullptr;
  for (QLabel* label : window->findChildren<QLabel*>()) {
    timeInLevel = label->text() == "Time in Level:" ? label : timeInLevel;
  }
  ASSERT_NE(timeInLevel, nullptr);
  QWidget* levelTime = WidgetOf<QLabel>(res::IDC_LEVEL_TIME);
  QWidget* command = WidgetOf<QLineEdit>(res::IDC_COMMAND);
  QWidget* clear = WidgetOf<QPushButton>(res::IDC_CLEAR);
  const auto textEnd = [&] {
    return timeInLevel->x() + timeInLevel->fontMetrics().horizontalAdvance(timeInLevel->text());
  };
  const int labelGap = levelTime->x() - textEnd();
  const int fieldGap = clear->x() - command->geometry().right();

  window->resize(window->size() + QSize(200, 0));
  EXPECT_EQ(levelTime->x() - textEnd(), labelGap) << "Time in Level: drifted from its value";
  EXPECT_EQ(clear->x() - command->geometry().right(), fieldGap);
}

TEST_F(QtWindowTest, SplashShowsThePictureOverItsOwnerUntilDestroyed) {
  EXPECT_EQ(PictureWindow::Create(999, &dialog), nullptr);
  auto splash = PictureWindow::Create(res::IDB_SPLASH, &dialog);
  ASSERT_NE(splash, nullptr);
  EXPECT_EQ(splash->Width(), 640);
  EXPECT_EQ(splash->Height(), 480);
  int ticks = 0;
  splash->SetTimer(1, 10, [&] {
    ++ticks;
    splash->Destroy();
  });
  splash->UpdateWindow();
  EXPECT_TRUE(splash->IsOpen());
  ASSERT_TRUE(PumpUntil([&] { return !splash->IsOpen(); }));
  PumpEvents(30);
  EXPECT_EQ(ticks, 1);
}

TEST_F(QtWindowTest, ScreenshotIsAPng) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "vex_framework_window.png").string();
  ASSERT_TRUE(SaveWindowImage(dialog, path));
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.read(4), QByteArray("\x89PNG", 4));
  file.close();
  std::filesystem::remove(path);
  RecordingDialog never;
  EXPECT_FALSE(SaveWindowImage(never, path));
}

}  // namespace
}  // namespace vex::test
