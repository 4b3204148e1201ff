// The window front-end as an operator meets it: the real program on a real X server, driven
// with real pointer and key events; screenshots go to the build's artifacts folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "res/DialogTemplates.h"
#include "res/Resource.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/XDisplay.h"

namespace vex {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::ChildProcess;
using test::kProgram;
using test::XDisplay;

const std::string kStatusTitle = "VexServer";
constexpr auto kLongWait = 30s;

fs::path Artifact(const std::string& name) {
  const fs::path folder = fs::path(VEX_BIN_DIR).parent_path() / "artifacts";
  fs::create_directories(folder);
  return folder / name;
}

// A dialog of res/ as it lies on the screen. Its window opens at the template's size, so the
// pixels per dialog unit follow from the window's size.
class DialogOnScreen {
 public:
  DialogOnScreen(XDisplay& display, int templateId, unsigned long window)
      : display_(display), layout_(res::FindDialogTemplate(templateId)), window_(window) {
    if (auto geometry = display_.WindowGeometry(window); geometry && layout_ != nullptr) {
      scaleX_ = static_cast<double>(geometry->Width) / layout_->rect.width;
      scaleY_ = static_cast<double>(geometry->Height) / layout_->rect.height;
    }
  }

  bool Found() const { return window_ != 0 && scaleX_ > 0 && scaleY_ > 0; }

  // A point of a control in screen coordinates, given in dialog units from its top left corner.
  std::optional<std::pair<int, int>> ScreenPoint(int id, int unitsRight, int unitsDown) {
    const res::ControlTemplate* control = layout_ == nullptr ? nullptr : layout_->FindControl(id);
    const auto geometry = display_.WindowGeometry(window_);
    if (!Found() || control == nullptr || !geometry) {
      return std::nullopt;
    }
    return std::pair{geometry->X + static_cast<int>((control->rect.x + unitsRight) * scaleX_),
                     geometry->Y + static_cast<int>((control->rect.y + unitsDown) * scaleY_)};
  }

  // The splash picture takes the first click while it shows; a click on a label is harmless
  // whether it still shows or not.
  bool ClickSplashAway() { return ClickControl(res::IDC_SERVER_NAME); }

  // Clicks a control at a point given in dialog units from its top left corner; the middle of
  // the control when none is given.
  bool ClickControl(int id, std::optional<int> unitsRight = {}, std::optional<int> unitsDown = {}) {
    const res::ControlTemplate* control = layout_ == nullptr ? nullptr : layout_->FindControl(id);
    if (!Found() || control == nullptr) {
      return false;
    }
    const res::DialogRect& r = control->rect;
    const double x = r.x + unitsRight.value_or(r.width / 2);
    const double y = r.y + unitsDown.value_or(r.height / 2);
    return display_.Click(window_, static_cast<int>(x * scaleX_), static_cast<int>(y * scaleY_));
  }

 private:
  XDisplay& display_;
  const res::DialogTemplate* layout_;
  unsigned long window_;
  double scaleX_ = 0;
  double scaleY_ = 0;
};

class WindowUnderX : public ::testing::Test {
 protected:
  ~WindowUnderX() override { server_.reset(); }
  void SetUp() override { ASSERT_FALSE(display_.Name().empty()) << display_.Failure(); }

  void StartServer(std::vector<std::string> arguments, const std::string& fault = "") {
    std::vector<std::string> environment = display_.Environment();
    environment.push_back("VEX_SIM_BOTS=4");
    environment.push_back("VEX_SIM_FAULT=" + fault);
    environment.push_back("LSAN_OPTIONS=suppressions=" + std::string(VEX_SOURCE_DIR) +
                          "/tests/app/x11-lsan.supp");
    arguments.insert(arguments.end(), {"-port", "0"});
    server_.emplace(kProgram, arguments, game_.Path(), environment);
  }
  // Starts a server on the sample deathmatch configuration and waits for its running window.
  unsigned long StartRunningServer(std::vector<std::string> arguments = {}) {
    arguments.insert(arguments.begin(), {"-config", "deathmatch"});
    StartServer(arguments);
    if (!server_->WaitForOutput("Server is running.", kLongWait)) {
      return 0;
    }
    return display_.WaitForWindow(kStatusTitle);
  }
  std::string Transcript() const {
    return server_->Output() + "\n--- stderr ---\n" + server_->Errors();
  }

  XDisplay display_;
  test::GameFolder game_;
  std::optional<ChildProcess> server_;
};

TEST_F(WindowUnderX, OperatorRunsTheServerAndStopsIt) {
  StartServer({});

  const unsigned long statusWindow = display_.WaitForWindow(kStatusTitle);
  ASSERT_NE(statusWindow, 0u) << Transcript();
  DialogOnScreen status(display_, res::IDD_SERVER, statusWindow);
  ASSERT_TRUE(status.Found());

  const unsigned long selectionWindow = display_.WaitForWindow("Select Config");
  ASSERT_NE(selectionWindow, 0u) << Transcript();
  ASSERT_TRUE(display_.WaitForFocus(selectionWindow));
  DialogOnScreen selection(display_, res::IDD_SELECT_CONFIG, selectionWindow);
  // The closed drop-down list is one line high at the top of its template rectangle.
  ASSERT_TRUE(selection.ClickControl(res::IDC_CONFIG_LIST, {}, 5));
  ASSERT_TRUE(display_.Key("Down"));
  ASSERT_TRUE(display_.Key("Return"));
  EXPECT_TRUE(display_.Screenshot(Artifact("x-select-config.png").string()));
  ASSERT_TRUE(selection.ClickControl(1));  // OK
  ASSERT_TRUE(server_->WaitForOutput("Hosting \"Vex Evacuation\"", kLongWait)) << Transcript();
  ASSERT_TRUE(server_->WaitForOutput("Dagger joined the game.", kLongWait)) << Transcript();

  ASSERT_TRUE(status.ClickSplashAway());
  // The first player row lies below the column headings.
  ASSERT_TRUE(status.ClickControl(res::IDC_PLAYER_LIST, 30, 16));
  ASSERT_TRUE(status.ClickControl(res::IDC_BOOT_PLAYER));
  EXPECT_TRUE(server_->WaitForOutput("was kicked from the server.", kLongWait)) << Transcript();

  ASSERT_TRUE(status.ClickControl(res::IDC_NEXT_LEVEL));
  EXPECT_TRUE(server_->WaitForOutput("(level 2 of", kLongWait)) << Transcript();

  ASSERT_TRUE(status.ClickControl(res::IDC_COMMAND));
  ASSERT_TRUE(display_.Type("say typed under X"));
  ASSERT_TRUE(display_.Key("Return"));
  EXPECT_TRUE(server_->WaitForOutput("Server: typed under X", kLongWait)) << Transcript();
  EXPECT_TRUE(display_.Screenshot(Artifact("x-status-window.png").string()));

  ASSERT_TRUE(status.ClickControl(res::IDC_STOP_SERVER));
  // The question's box bears the program's name too.
  const unsigned long question = display_.WaitForWindow(kStatusTitle, statusWindow);
  ASSERT_NE(question, 0u) << Transcript();
  ASSERT_TRUE(display_.WaitForFocus(question));
  EXPECT_TRUE(display_.Screenshot(Artifact("x-stop-question.png").string()));
  ASSERT_TRUE(display_.Key("y"));
  EXPECT_EQ(server_->WaitForExit(kLongWait), 2) << Transcript();
  EXPECT_NE(server_->Output().find("Server stopped."), std::string::npos) << Transcript();
}

TEST_F(WindowUnderX, LosingTheDisplayStopsTheServerAndExitsWith1) {
  const fs::path log = fs::path(game_.Path()) / "server.log";
  ASSERT_NE(StartRunningServer({"-log", log.string()}), 0u) << Transcript();
  display_.End();
  EXPECT_EQ(server_->WaitForExit(kLongWait), 1) << Transcript();
  EXPECT_NE(server_->Errors().find("Server stopped."), std::string::npos) << Transcript();
  std::ifstream file(log);
  const std::string logged((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
  EXPECT_NE(logged.find("Server stopped."), std::string::npos) << logged;
}

TEST_F(WindowUnderX, ALongConfigurationListDropsDownToASaneHeight) {
  const fs::path data = fs::path(game_.Path()) / "VexMod/ServerData";
  for (int i = 0; i < 47; ++i) {
    fs::copy_file(data / "deathmatch.txt", data / ("server" + std::to_string(i) + ".txt"));
  }
  StartServer({});
  const unsigned long selectionWindow = display_.WaitForWindow("Select Config");
  ASSERT_NE(selectionWindow, 0u) << Transcript();
  ASSERT_TRUE(display_.WaitForFocus(selectionWindow));
  DialogOnScreen selection(display_, res::IDD_SELECT_CONFIG, selectionWindow);
  ASSERT_TRUE(selection.ClickControl(res::IDC_CONFIG_LIST, {}, 5));
  // Below the closed box, where the opened list lies, whichever way the style opens it.
  const auto below = selection.ScreenPoint(res::IDC_CONFIG_LIST, 20, 25);
  ASSERT_TRUE(below);
  const unsigned long dropDown =
      display_.WaitForWindowAt(below->first, below->second, selectionWindow);
  ASSERT_NE(dropDown, 0u) << Transcript();
  const auto geometry = display_.WindowGeometry(dropDown);
  ASSERT_TRUE(geometry);
  EXPECT_TRUE(display_.Screenshot(Artifact("x-config-drop-down.png").string()));
  EXPECT_LE(geometry->Height, XDisplay::kScreenHeight / 2);
  EXPECT_GT(geometry->Height, 0);
  ASSERT_TRUE(display_.Key("Escape"));
}

// A click at the right end of a level's row in a grown window picks the level: the one column
// fills the list at any size.
TEST_F(WindowUnderX, TheLevelColumnFillsTheListsWidthInAGrownWindow) {
  const unsigned long statusWindow = StartRunningServer();
  ASSERT_NE(statusWindow, 0u) << Transcript();
  DialogOnScreen status(display_, res::IDD_SERVER, statusWindow);
  ASSERT_TRUE(status.ClickSplashAway());
  ASSERT_TRUE(status.ClickControl(res::IDC_NEXT_LEVEL));
  ASSERT_TRUE(server_->WaitForOutput("(level 2 of", kLongWait)) << Transcript();
  const std::size_t mark = server_->Output().size();

  const auto before = display_.WindowGeometry(statusWindow);
  ASSERT_TRUE(before);
  constexpr int kGrowth = 400;
  ASSERT_TRUE(display_.Resize(statusWindow, before->Width + kGrowth, before->Height));
  const auto after = display_.WindowGeometry(statusWindow);
  ASSERT_TRUE(after && after->Width == before->Width + kGrowth);
  // The list's right edge and Select Level follow the window's right edge; their tops stay.
  const res::DialogTemplate& layout = *res::FindDialogTemplate(res::IDD_SERVER);
  const double scaleX = static_cast<double>(before->Width) / layout.rect.width;
  const double scaleY = static_cast<double>(before->Height) / layout.rect.height;
  const auto clickMoved = [&](int id, int unitsFromRight, int unitsDown) {
    const res::DialogRect& r = layout.FindControl(id)->rect;
    return display_.Click(statusWindow,
                          static_cast<int>((r.x + r.width - unitsFromRight) * scaleX) + kGrowth,
                          static_cast<int>((r.y + unitsDown) * scaleY));
  };
  ASSERT_TRUE(clickMoved(res::IDC_LEVEL_LIST, 6, 4));  // the first row, Arena
  EXPECT_TRUE(display_.Screenshot(Artifact("x-level-list-grown.png").string()));
  ASSERT_TRUE(clickMoved(res::IDC_SELECT_LEVEL, 27, 6));
  EXPECT_TRUE(server_->CollectUntil(
      [&] { return server_->Output().find("(level 1 of", mark) != std::string::npos; }, kLongWait,
      100ms))
      << Transcript();
}

class StopSignalUnderX : public WindowUnderX, public ::testing::WithParamInterface<int> {};

TEST_P(StopSignalUnderX, StopsTheServerWithoutAskingAndExitsWith2) {
  ASSERT_NE(StartRunningServer(), 0u) << Transcript();
  server_->Signal(GetParam());
  EXPECT_EQ(server_->WaitForExit(kLongWait), 2) << Transcript();
  EXPECT_NE(server_->Output().find("Server stopped."), std::string::npos) << Transcript();
  // The stop question was put on standard error and answered there, not left open on screen.
  EXPECT_NE(server_->Errors().find("answered Yes"), std::string::npos) << Transcript();
}

TEST_F(WindowUnderX, StopSignalAnswersTheStopQuestionLeftOpen) {
  const unsigned long statusWindow = StartRunningServer();
  ASSERT_NE(statusWindow, 0u) << Transcript();
  DialogOnScreen status(display_, res::IDD_SERVER, statusWindow);
  ASSERT_TRUE(status.ClickSplashAway());
  ASSERT_TRUE(status.ClickControl(res::IDC_STOP_SERVER));
  ASSERT_NE(display_.WaitForWindow(kStatusTitle, statusWindow), 0u) << Transcript();

  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitForExit(kLongWait), 2) << Transcript();
  EXPECT_NE(server_->Output().find("Server stopped."), std::string::npos) << Transcript();
}

// The window says that the engine hangs, its stop waits in the event loop and says so, and a
// second stop signal there ends the process at once with its own exit code.
TEST_F(WindowUnderX, AHungEngineIsSaidAndASecondStopSignalEndsTheWait) {
  StartServer({"-config", "deathmatch"}, "hang:20");
  ASSERT_NE(display_.WaitForWindow(kStatusTitle), 0u) << Transcript();
  ASSERT_TRUE(
      server_->WaitForOutput("The engine is not responding; it last answered at ", kLongWait))
      << Transcript();
  EXPECT_TRUE(display_.Screenshot(Artifact("x-engine-not-responding.png").string()));
  server_->Signal(SIGTERM);
  ASSERT_TRUE(server_->WaitForOutput("Waiting up to 5 seconds for the engine", kLongWait))
      << Transcript();
  server_->Signal(SIGINT);
  EXPECT_EQ(server_->WaitForExit(kLongWait), 3) << Transcript();
  EXPECT_NE(server_->Output().find("abandoned without waiting"), std::string::npos) << Transcript();
}

INSTANTIATE_TEST_SUITE_P(WindowUnderX, StopSignalUnderX, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& signal) {
                           return signal.param == SIGTERM  ? std::string("Sigterm")
                                  : signal.param == SIGINT ? std::string("Sigint")
                                                           : std::string("Sighup");
                         });

}  // namespace
}  // namespace vex
