#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "RecordingDialog.h"
#include "framework/MessageBox.h"
#include "framework/testing/BackEndForTests.h"

namespace vex::test {

using namespace fw;
namespace {

using vex::test::PumpUntil;

// Ends itself from a posted command once its loop runs.
class SelfEndingDialog : public RecordingDialog {
 public:
  using RecordingDialog::RecordingDialog;

 protected:
  bool OnInitDialog() override {
    CDialog::OnInitDialog();
    PostCommand(res::IDC_START);
    return true;
  }
};

TEST(DialogLoop, DoModalReturnsTheResultGivenToEndDialog) {
  SelfEndingDialog dialog;
  dialog.endOnCommand = res::IDC_START;
  EXPECT_EQ(dialog.DoModal(), 100 + res::IDC_START);
  EXPECT_FALSE(dialog.IsWindowVisible());
  EXPECT_EQ(dialog.shows, (std::vector<bool>{true, false}));
}

TEST(DialogLoop, CancelAndOkEndTheModalLoop) {
  struct Case {
    int command;
    int result;
  };
  for (const Case& c : {Case{IDCANCEL, IDCANCEL}, Case{IDOK, IDOK}}) {
    SelfEndingDialog dialog(res::IDD_SELECT_CONFIG);
    dialog.PostCommand(c.command);
    // The first posted command (IDC_START) is unknown to the default handler and ignored.
    EXPECT_EQ(dialog.DoModal(), c.result) << c.command;
  }
}

TEST(DialogLoop, UnknownTemplateCannotBeCreated) {
  RecordingDialog dialog(4242);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_FALSE(dialog.Create());
}

TEST(DialogLoop, ShowTriggersOnceAndEndDialogHidesAWindowWithoutLoop) {
  RecordingDialog dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(dialog.IsWindowVisible());
  dialog.ShowWindow(true);
  EXPECT_EQ(dialog.shows, (std::vector<bool>{true}));
  dialog.EndDialog(5);
  EXPECT_FALSE(dialog.IsWindowVisible());
  EXPECT_EQ(dialog.shows, (std::vector<bool>{true, false}));
}

TEST(DialogLoop, PostedCommandsArriveInOrderOnTheWindowThread) {
  RecordingDialog dialog;
  ASSERT_TRUE(dialog.Create());
  std::thread poster([&] {
    for (int id = 1; id <= 50; ++id) {
      dialog.PostCommand(1000 + id);
    }
  });
  poster.join();
  dialog.PostTask([&] { dialog.commands.push_back(-1); });
  EXPECT_TRUE(dialog.commands.empty());  // nothing runs before the loop does
  ASSERT_TRUE(PumpUntil([&] { return dialog.commands.size() == 51; }));
  for (int id = 1; id <= 50; ++id) {
    EXPECT_EQ(dialog.commands[static_cast<std::size_t>(id - 1)], 1000 + id);
  }
  EXPECT_EQ(dialog.commands.back(), -1);
  EXPECT_FALSE(dialog.offWindowThread);
}

TEST(DialogLoop, SendCommandFromAnotherThreadWaitsUntilItRan) {
  RecordingDialog dialog;
  ASSERT_TRUE(dialog.Create());
  std::atomic<bool> returned{false};
  std::atomic<std::size_t> seenOnReturn{0};
  std::thread sender([&] {
    dialog.SendCommand(res::IDC_CLEAR);
    seenOnReturn = dialog.commands.size();
    returned = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return returned.load(); }));
  sender.join();
  EXPECT_EQ(seenOnReturn.load(), 1u);
  EXPECT_EQ(dialog.commands, (std::vector<int>{res::IDC_CLEAR}));
  EXPECT_FALSE(dialog.offWindowThread);

  dialog.SendCommand(res::IDC_SEND);  // on the window thread: at once
  EXPECT_EQ(dialog.commands.back(), res::IDC_SEND);
}

TEST(DialogLoop, PostedWorkForADestroyedDialogIsDropped) {
  bool ran = false;
  {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    dialog.PostTask([&] { ran = true; });
  }
  PumpEvents(20);
  EXPECT_FALSE(ran);
}

TEST(DialogLoop, TimersRepeatPerIdUntilKilled) {
  RecordingDialog dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.SetTimer(0, 10);
  dialog.SetTimer(1, 15);
  ASSERT_TRUE(
      PumpUntil([&] { return CountOf(dialog.timers, 0) >= 3 && CountOf(dialog.timers, 1) >= 2; }));
  dialog.KillTimer(0);
  const int zeros = CountOf(dialog.timers, 0);
  const int ones = CountOf(dialog.timers, 1);
  ASSERT_TRUE(PumpUntil([&] { return CountOf(dialog.timers, 1) >= ones + 3; }));
  EXPECT_EQ(CountOf(dialog.timers, 0), zeros);
  EXPECT_FALSE(dialog.offWindowThread);
}

TEST(DialogLoop, TimerSetFromAnotherThreadRunsOnTheWindowThread) {
  RecordingDialog dialog;
  ASSERT_TRUE(dialog.Create());
  std::thread([&] { dialog.SetTimer(7, 5); }).join();
  ASSERT_TRUE(PumpUntil([&] { return CountOf(dialog.timers, 7) >= 2; }));
  EXPECT_FALSE(dialog.offWindowThread);
}

TEST(DialogLoop, EndDialogFromAnotherThreadEndsTheLoop) {
  class EndingFromThread : public RecordingDialog {
   public:
    std::thread worker;

   protected:
    void OnShowWindow(bool show) override {
      if (show) {
        worker = std::thread([this] { EndDialog(77); });
      }
    }
  };
  EndingFromThread dialog;
  EXPECT_EQ(dialog.DoModal(), 77);
  dialog.worker.join();
}

TEST(DialogLoop, NestedModalDialogReturnsToTheOuterLoop) {
  class Outer : public RecordingDialog {
   public:
    int innerResult = 0;

   protected:
    void OnCommand(int id) override {
      if (id == res::IDC_START) {
        SelfEndingDialog inner(res::IDD_SELECT_CONFIG);
        inner.endOnCommand = res::IDC_START;
        innerResult = inner.DoModal();
        EndDialog(3);
        return;
      }
      RecordingDialog::OnCommand(id);
    }
  };
  Outer outer;
  outer.PostCommand(res::IDC_START);
  EXPECT_EQ(outer.DoModal(), 3);
  EXPECT_EQ(outer.innerResult, 100 + res::IDC_START);
}

TEST(DialogLoop, CaptionAndDataExchange) {
  RecordingDialog dialog;
  EXPECT_EQ(dialog.GetWindowText(), "VexServer");
  EXPECT_FALSE(dialog.UpdateData(false));  // no window yet
  ASSERT_TRUE(dialog.Create());
  dialog.SetWindowText("Server 1");
  EXPECT_EQ(dialog.GetWindowText(), "Server 1");

  dialog.name = "Arena 100%s";
  dialog.count = 4294967295u;
  ASSERT_TRUE(dialog.UpdateData(false));
  EXPECT_EQ(dialog.Item(res::IDC_SERVER_NAME).GetWindowText(), "Arena 100%s");
  EXPECT_EQ(dialog.Item(res::IDC_PEAK_PLAYERS).GetWindowText(), "4294967295");

  struct Case {
    const char* text;
    std::uint32_t expected;
  };
  for (const Case& c : {Case{"12", 12u}, Case{"", 12u}, Case{"x7", 12u}, Case{"7x", 12u},
                        Case{"99999999999", 12u}, Case{"0", 0u}}) {
    dialog.count = 12;
    dialog.Item(res::IDC_PEAK_PLAYERS).SetWindowText(c.text);
    ASSERT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ(dialog.count, c.expected) << c.text;
  }
}

TEST(DialogLoop, MessageBoxesGoThroughTheHandlerWithTheApplicationName) {
  vex::test::MessageBoxRecorder recorder(IDNO);
  EXPECT_EQ(AfxMessageBox("Are you sure? 100%d", MessageBoxStyle::YesNoQuestion), IDNO);
  recorder.SetAnswer(IDOK);
  EXPECT_EQ(AfxMessageBox("ERROR - Out of memory.", MessageBoxStyle::OkWarning), IDOK);
  ASSERT_EQ(recorder.Boxes().size(), 2u);
  EXPECT_EQ(recorder.Boxes()[0].text, "Are you sure? 100%d");
  EXPECT_EQ(recorder.Boxes()[0].caption, "VexServer");
  EXPECT_EQ(recorder.Boxes()[0].style, MessageBoxStyle::YesNoQuestion);
  EXPECT_EQ(recorder.Boxes()[1].style, MessageBoxStyle::OkWarning);
}

}  // namespace
}  // namespace vex::test
