#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <string>

#include "ServerWindow.h"
#include "framework/BackEnd.h"
#include "framework/Screenshot.h"
#include "framework/qt/QtDialogHost.h"
#include "ui/SelectConfigDlg.h"

namespace vex {
namespace {

using test::MessageBoxRecorder;
using test::ServerWindow;

// The selection dialog as the operator meets it: the status window is open and starting the
// server, and the dialog runs its own loop inside that start. The test's hands act from a timer
// of that loop, with real key presses and clicks at the widgets.
class QtConfigSelectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(test::RunningFrontEnd(), fw::FrontEnd::Window);
    // Listed as "alpha", "test": the second entry is the test configuration.
    server.Folder().Write("VexMod/ServerData/alpha.txt", "[Settings]\n");
  }
  void TearDown() override {
    MessageBoxRecorder yes(fw::IDYES);
    if (server.Window().IsWindowVisible()) {
      server.Window().Control<fw::CButton>(res::IDC_STOP_SERVER).Click();
    }
  }

  // Starts the status window; once the selection dialog shows, `act` gets its window. A dialog
  // that the operator's input did not close is cancelled, so that a failing test ends.
  bool StartAndChoose(const std::function<void(QWidget*)>& act) {
    bool acted = false;
    QTimer hands;
    QObject::connect(&hands, &QTimer::timeout, [&] {
      auto* dialog = dynamic_cast<CSelectConfigDlg*>(fw::TopOpenDialog());
      QWidget* window = fw::QtDialogHost::WindowOf(dialog);
      if (acted || window == nullptr || !QTest::qWaitForWindowExposed(window)) {
        return;
      }
      acted = true;
      act(window);
      if (dialog->IsWindowVisible()) {
        ADD_FAILURE() << "the dialog is still open after the operator chose";
        dialog->PostCommand(fw::IDCANCEL);
      }
    });
    hands.start(10);
    MessageBoxRecorder errors(fw::IDOK);
    const bool started = server.Start();
    EXPECT_TRUE(acted) << "the selection dialog never showed";
    EXPECT_TRUE(errors.Boxes().empty()) << errors.Boxes().front().text;
    return started;
  }

  static QComboBox* List(QWidget* window) { return window->findChild<QComboBox*>(); }
  static QPushButton* Button(QWidget* window, const QString& text) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
      if (button->text() == text) {
        return button;
      }
    }
    return nullptr;
  }
  // A click where the operator's pointer would land: through the window, as the display sends it.
  static void ClickAt(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget->window()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      widget->mapTo(widget->window(), at));
  }

  ServerWindow server{{"vexserver"}};
};

TEST_F(QtConfigSelectionTest, TheOperatorPicksTheSecondFileWithTheKeyboard) {
  const bool started = StartAndChoose([](QWidget* window) {
    QComboBox* list = List(window);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isEnabled());
    EXPECT_TRUE(Button(window, "OK")->isEnabled());
    EXPECT_TRUE(Button(window, "Cancel")->isEnabled());
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(list->currentText(), "alpha");
    QTest::keyClick(window->windowHandle(), Qt::Key_Down);
    EXPECT_EQ(list->currentText(), "test");
    QTest::keyClick(window->windowHandle(), Qt::Key_Return);
  });
  ASSERT_TRUE(started);
  EXPECT_EQ(server.Window().Display().ServerNameText, "Test Server");
}

TEST_F(QtConfigSelectionTest, TheOperatorPicksTheSecondFileWithTheMouse) {
  const bool started = StartAndChoose([](QWidget* window) {
    QComboBox* list = List(window);
    ASSERT_NE(list, nullptr);
    ClickAt(list, list->rect().center());
    QAbstractItemView* popup = list->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup->window()));
    const QRect second = popup->visualRect(popup->model()->index(1, 0));
    QTest::mouseMove(popup->viewport(), second.center());
    QTest::mouseClick(popup->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_TRUE(test::PumpUntil([&] { return !popup->window()->isVisible(); }));
    EXPECT_EQ(list->currentText(), "test");
    QPushButton* ok = Button(window, "OK");
    ClickAt(ok, ok->rect().center());
  });
  ASSERT_TRUE(started);
  EXPECT_EQ(server.Window().Display().ServerNameText, "Test Server");
}

TEST_F(QtConfigSelectionTest, EscapeCancelsAndTheWindowReportsTheMissingConfiguration) {
  bool cancelled = false;
  QTimer hands;
  QObject::connect(&hands, &QTimer::timeout, [&] {
    auto* dialog = dynamic_cast<CSelectConfigDlg*>(fw::TopOpenDialog());
    QWidget* window = fw::QtDialogHost::WindowOf(dialog);
    if (!cancelled && window != nullptr && QTest::qWaitForWindowExposed(window)) {
      cancelled = true;
      QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
      if (dialog->IsWindowVisible()) {
        ADD_FAILURE() << "Escape left the dialog open";
        dialog->PostCommand(fw::IDCANCEL);
      }
    }
  });
  hands.start(10);
  MessageBoxRecorder errors(fw::IDOK);
  server.Window().Create();
  EXPECT_TRUE(test::PumpUntil([&] { return errors.Boxes().size() >= 2; }));
  EXPECT_TRUE(cancelled);
  // The missing configuration first, then the failed start.
  ASSERT_EQ(errors.Boxes().size(), 2u);
  EXPECT_EQ(errors.Boxes()[1].text, "ERROR - Unable to start server.");
  EXPECT_EQ(errors.Boxes()[0].text.rfind("ERROR - No server configuration file.", 0), 0u);
}

TEST_F(QtConfigSelectionTest, TheClosedListKeepsOneLineAboveTheButtons) {
  const bool started = StartAndChoose([](QWidget* window) {
    QComboBox* list = List(window);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->height(), list->sizeHint().height());
    EXPECT_LT(list->geometry().bottom(), Button(window, "OK")->geometry().top());
    EXPECT_LT(list->geometry().bottom(), Button(window, "Cancel")->geometry().top());

    const auto folder = std::filesystem::path(VEX_BIN_DIR).parent_path() / "artifacts";
    std::filesystem::create_directories(folder);
    auto* dialog = dynamic_cast<CSelectConfigDlg*>(fw::TopOpenDialog());
    EXPECT_TRUE(fw::SaveWindowImage(*dialog, (folder / "select-config.png").string()));
    QTest::keyClick(window->windowHandle(), Qt::Key_Down);
    QTest::keyClick(window->windowHandle(), Qt::Key_Return);
  });
  EXPECT_TRUE(started);
}

}  // namespace
}  // namespace vex
