#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "RecordingDialog.h"
#include "framework/MessageBox.h"
#include "framework/qt/QtDialogHost.h"

namespace vex::test {

using namespace fw;
namespace {

// Where a message box of the window back-end appears: centred over the window it belongs to,
// also where nothing draws window frames. The box itself is under test here, so the test finds
// it on the screen, notes where it is and closes it.
TEST(MessageBoxPlacement, ABoxIsCentredOverTheWindowBelowIt) {
  RecordingDialog status;
  ASSERT_TRUE(status.Create());
  QWidget* window = QtDialogHost::WindowOf(&status);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  EXPECT_EQ(window->frameGeometry(), window->geometry()) << "the display draws frames";

  for (const MessageBoxStyle style : {MessageBoxStyle::OkWarning, MessageBoxStyle::YesNoQuestion}) {
    QRect placed;
    QTimer eyes;
    QObject::connect(&eyes, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box != nullptr && box->isVisible()) {
        placed = box->frameGeometry();
        box->done(QMessageBox::No);
      }
    });
    eyes.start(10);
    AfxMessageBox("ERROR - Unable to start server.", style);
    ASSERT_FALSE(placed.isNull());
    EXPECT_LE((placed.center() - window->frameGeometry().center()).manhattanLength(), 2)
        << "box at " << placed.x() << "," << placed.y() << " " << placed.width() << "x"
        << placed.height() << ", window " << window->width() << "x" << window->height();
  }
}

}  // namespace
}  // namespace vex::test
