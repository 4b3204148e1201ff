#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/MessageBox.h"
#include "framework/testing/BackEndForTests.h"
#include "res/Resource.h"
#include "tests/support/ScratchFolder.h"
#include "ui/SelectConfigDlg.h"

namespace vex {
namespace {

using test::ScratchWorkingFolder;

constexpr int kNoTerminal = -1;

// Puts another file descriptor (kNoTerminal: /dev/null) in place of standard input for the life
// of the object.
class ScopedStandardInput {
 public:
  explicit ScopedStandardInput(int fd) : saved_(dup(STDIN_FILENO)) {
    const int source = fd == kNoTerminal ? open("/dev/null", O_RDONLY) : fd;
    dup2(source, STDIN_FILENO);
    if (fd == kNoTerminal) {
      close(source);
    }
  }
  ~ScopedStandardInput() {
    dup2(saved_, STDIN_FILENO);
    close(saved_);
  }
  ScopedStandardInput(const ScopedStandardInput&) = delete;
  ScopedStandardInput& operator=(const ScopedStandardInput&) = delete;

 private:
  int saved_;
};

// A pseudo-terminal: its far side is a terminal for isatty; the test types into the near side.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
      terminal_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
    }
  }
  ~PseudoTerminal() {
    close(terminal_);
    close(master_);
  }
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool Ready() const { return terminal_ >= 0; }
  int Terminal() const { return terminal_; }
  void Type(const std::string& text) const {
    ASSERT_EQ(write(master_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

 private:
  int master_ = -1;
  int terminal_ = -1;
};

class ConfigSelection : public testing::Test {
 protected:
  static bool OnTerminal() { return test::RunningFrontEnd() == fw::FrontEnd::Console; }

  void WriteConfigs(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
      folder_.Write("VexMod/ServerData/" + name, "[Server]\n");
    }
  }

  ScratchWorkingFolder folder_;
};

struct FolderCase {
  const char* Title;
  std::vector<std::string> Files;
  std::optional<std::string> Chosen;
};

void PrintTo(const FolderCase& c, std::ostream* os) {
  *os << c.Title;
}

class ConfigSelectionFolders : public ConfigSelection,
                               public testing::WithParamInterface<FolderCase> {};

TEST_P(ConfigSelectionFolders, ChoosesByItselfWhenThereIsNothingToChoose) {
  WriteConfigs(GetParam().Files);
  folder_.MakeDirectory("VexMod/ServerData/x.txt");
  EXPECT_EQ(RunConfigSelection(), GetParam().Chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ConfigSelectionFolders,
    testing::Values(FolderCase{"no folder", {}, std::nullopt},
                    FolderCase{"only other extensions", {"dm.cfg", "readme"}, std::nullopt},
                    FolderCase{"one file beside a folder named x.txt", {"dm.txt"}, "dm"},
                    FolderCase{"upper-case extension", {"Team.TXT"}, "Team"}));

// Without a window and without a terminal nobody can choose among several files.
TEST_F(ConfigSelection, SeveralFilesWithoutTerminalCancel) {
  if (!OnTerminal()) {
    GTEST_SKIP() << "a window waits for the operator";
  }
  WriteConfigs({"b.txt", "a.txt"});
  ScopedStandardInput input(kNoTerminal);
  EXPECT_EQ(RunConfigSelection(), std::nullopt);
}

TEST_F(ConfigSelection, OperatorPicksAnotherEntryAndPressesOk) {
  WriteConfigs({"b.txt", "a.txt"});
  ScopedStandardInput input(kNoTerminal);
  CSelectConfigDlg dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.Control<fw::CComboBox>(res::IDC_CONFIG_LIST).SetCurSel(1);
  dialog.Control<fw::CButton>(fw::IDOK).Click();
  EXPECT_EQ(dialog.ChosenName(), "b");
}

TEST_F(ConfigSelection, ListsTitlesSortedWithTheFirstSelected) {
  WriteConfigs({"b.txt", "a.txt", "notes.cfg"});
  folder_.MakeDirectory("VexMod/ServerData/x.txt");
  ScopedStandardInput input(kNoTerminal);
  CSelectConfigDlg dialog;
  ASSERT_TRUE(dialog.Create());
  const auto& list = dialog.Control<fw::CComboBox>(res::IDC_CONFIG_LIST);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetLBText(0), "a");
  EXPECT_EQ(list.GetLBText(1), "b");
  EXPECT_EQ(list.GetCurSel(), 0);
  EXPECT_TRUE(dialog.Item(fw::IDOK).IsWindowEnabled());
}

TEST_F(ConfigSelection, OkIsDisabledWithoutFiles) {
  CSelectConfigDlg dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_FALSE(dialog.Item(fw::IDOK).IsWindowEnabled());
}

struct TerminalCase {
  const char* Title;
  std::string Typed;
  std::optional<std::string> Chosen;
};

void PrintTo(const TerminalCase& c, std::ostream* os) {
  *os << c.Title;
}

class ConfigSelectionOnTerminal : public ConfigSelection,
                                  public testing::WithParamInterface<TerminalCase> {};

TEST_P(ConfigSelectionOnTerminal, ReadsTheChoiceFromTheTerminal) {
  if (!OnTerminal()) {
    GTEST_SKIP() << "a window asks in the dialog";
  }
  PseudoTerminal terminal;
  ASSERT_TRUE(terminal.Ready());
  WriteConfigs({"ctf.txt", "dm.txt", "coop.txt"});
  terminal.Type(GetParam().Typed);
  ScopedStandardInput input(terminal.Terminal());
  EXPECT_EQ(RunConfigSelection(), GetParam().Chosen);
}

// The list reads coop, ctf, dm. Ctrl-D at the start of a line is the terminal's end of input.
INSTANTIATE_TEST_SUITE_P(
    Answers, ConfigSelectionOnTerminal,
    testing::Values(TerminalCase{"a number", "2\n", "ctf"},
                    TerminalCase{"blanks around the number", "  3 \n", "dm"},
                    TerminalCase{"wrong answers are asked again", "0\n4\nctf\n2x\n1\n", "coop"},
                    TerminalCase{"an empty line cancels", "\n", std::nullopt},
                    TerminalCase{"a blank line cancels", "   \n", std::nullopt},
                    TerminalCase{"end of input cancels", "\x04", std::nullopt},
                    TerminalCase{"end of input after a wrong answer", "9\n\x04", std::nullopt}));

}  // namespace
}  // namespace vex
