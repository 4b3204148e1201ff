// The window front-end as an operator meets it: the real program on a real X server, driven
// with real pointer and key events; screenshots go to the build's artifacts folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "res/DialogTemplates.h"
#include "res/Resource.h"
#include "res/SplashPicture.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileText.h"
#include "tests/support/ProgramFixtures.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WaitUntil.h"
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
    if (std::find(arguments.begin(), arguments.end(), "-port") == arguments.end()) {
      arguments.insert(arguments.end(), {"-port", "0"});
    }
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
  const std::string logged = test::FileText(log);
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

// Pixels of a screen area that `wanted` picks out by colour.
template <class Wanted>
int PixelsOfColour(XDisplay& display, const XDisplay::Geometry& area, Wanted wanted) {
  const auto shown = display.ScreenPixels(area);
  if (!shown) {
    return -1;
  }
  int count = 0;
  for (std::size_t at = 0; at + 2 < shown->rgb.size(); at += 3) {
    count += wanted(shown->rgb[at], shown->rgb[at + 1], shown->rgb[at + 2]) ? 1 : 0;
  }
  return count;
}

// The area of a control on the screen, from its template rectangle.
std::optional<XDisplay::Geometry> ControlArea(DialogOnScreen& dialog, int id) {
  const res::ControlTemplate* control = res::FindDialogTemplate(res::IDD_SERVER)->FindControl(id);
  const auto topLeft = dialog.ScreenPoint(id, 0, 0);
  const auto bottomRight = dialog.ScreenPoint(id, control->rect.width, control->rect.height);
  if (!topLeft || !bottomRight) {
    return std::nullopt;
  }
  return XDisplay::Geometry{topLeft->first, topLeft->second, bottomRight->first - topLeft->first,
                            bottomRight->second - topLeft->second};
}

// The icons of the player rows are the only strong colours of the player list.
bool StrongColour(unsigned char r, unsigned char g, unsigned char b) {
  return std::max({r, g, b}) - std::min({r, g, b}) > 100;
}

// The background of a tooltip.
bool TooltipYellow(unsigned char r, unsigned char g, unsigned char b) {
  return r >= 250 && g >= 250 && b <= 235;
}

// Blue text, anti-aliased against the white console: the operator's colour.
bool OperatorBlue(unsigned char r, unsigned char g, unsigned char b) {
  return b - r > 60 && b - g > 30;
}

// After an engine error the window stays open for the operator to read why; it shows no game any
// more, and closing it ends the process as the failure it was.
TEST_F(WindowUnderX, AfterAnEngineErrorNoPlayerStaysShownAndClosingExitsWith1) {
  StartServer({"-config", "deathmatch"}, "frame:600");
  const unsigned long statusWindow = display_.WaitForWindow(kStatusTitle);
  ASSERT_NE(statusWindow, 0u) << Transcript();
  ASSERT_TRUE(server_->WaitForOutput("joined the game.", kLongWait)) << Transcript();
  DialogOnScreen status(display_, res::IDD_SERVER, statusWindow);
  ASSERT_TRUE(status.ClickSplashAway());
  const auto players = ControlArea(status, res::IDC_PLAYER_LIST);
  ASSERT_TRUE(players);
  EXPECT_TRUE(test::WaitUntil([&] { return PixelsOfColour(display_, *players, StrongColour) > 0; },
                              kLongWait, 200ms))
      << "no player row shown before the engine error";
  ASSERT_TRUE(server_->WaitForOutput("Simulated engine failure in frame 600", kLongWait))
      << Transcript();
  ASSERT_TRUE(server_->WaitForOutput("Server stopped.", kLongWait)) << Transcript();
  EXPECT_TRUE(test::WaitUntil([&] { return PixelsOfColour(display_, *players, StrongColour) == 0; },
                              kLongWait, 200ms))
      << "player rows still shown after the stop";
  EXPECT_TRUE(display_.Screenshot(Artifact("x-after-engine-error.png").string()));
  // No engine is left to ask about: Stop Server closes the window at once.
  ASSERT_TRUE(status.ClickControl(res::IDC_STOP_SERVER));
  EXPECT_EQ(server_->WaitForExit(kLongWait), 1) << Transcript();
}

// A player may take any name, "<< Server >>" too; only the operator's own lines take the
// operator's colour.
TEST_F(WindowUnderX, OperatorLinesHaveAColourThatNoPlayerCanTake) {
  const unsigned long statusWindow = StartRunningServer();
  ASSERT_NE(statusWindow, 0u) << Transcript();
  ASSERT_TRUE(server_->WaitForOutput(" for up to ", kLongWait)) << Transcript();
  std::smatch hosted;
  const std::string output = server_->Output();
  ASSERT_TRUE(std::regex_search(output, hosted, std::regex("on UDP port ([0-9]+)"))) << output;
  ChildProcess lookalike(
      test::kClientProgram,
      {"--name", "<< Server >>", "--chat", "--seconds", "60", "127.0.0.1:" + hosted[1].str()},
      game_.Path());
  ASSERT_TRUE(server_->WaitForOutput("<< Server >>: hello from", kLongWait)) << Transcript();
  DialogOnScreen status(display_, res::IDD_SERVER, statusWindow);
  ASSERT_TRUE(status.ClickSplashAway());
  const auto console = ControlArea(status, res::IDC_CONSOLE);
  ASSERT_TRUE(console);
  // Drawn once the splash is gone; a player's line never turns blue.
  ASSERT_TRUE(display_.WaitUntilNoWindow("vexserver")) << Transcript();
  EXPECT_EQ(PixelsOfColour(display_, *console, OperatorBlue), 0) << Transcript();

  ASSERT_TRUE(status.ClickControl(res::IDC_COMMAND));
  ASSERT_TRUE(display_.Type("say from the operator"));
  ASSERT_TRUE(display_.Key("Return"));
  ASSERT_TRUE(server_->WaitForOutput("<< Server >>  say from the operator", kLongWait))
      << Transcript();
  EXPECT_TRUE(test::WaitUntil([&] { return PixelsOfColour(display_, *console, OperatorBlue) > 0; },
                              kLongWait, 200ms));
  EXPECT_TRUE(display_.Screenshot(Artifact("x-operator-line.png").string()));
}

// The window thread is inside an engine call that never returns: the stop signals cannot reach
// its event loop, and the second ends the process on its own.
TEST_F(WindowUnderX, AStartHungInTheEngineEndsAtTheSecondStopSignal) {
  const fs::path log = fs::path(game_.Path()) / "server.log";
  StartServer({"-config", "deathmatch", "-log", log.string()}, "hang:host");
  ASSERT_TRUE(server_->WaitForOutput("Server initialized.", kLongWait)) << Transcript();
  server_->Signal(SIGTERM);
  ASSERT_TRUE(server_->CollectUntil(
      [&] { return server_->Errors().find("a second stop signal ends it") != std::string::npos; },
      kLongWait))
      << Transcript();
  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitForExit(kLongWait), 3) << Transcript();
  const std::string logged = test::FileText(log);
  EXPECT_NE(logged.find("Server stopped.", logged.find("A second stop signal")), std::string::npos)
      << logged;
}

// The display goes while the operator is choosing the configuration: the log still ends with
// the stop.
TEST_F(WindowUnderX, LosingTheDisplayDuringTheSelectionStillLogsTheStop) {
  const fs::path log = fs::path(game_.Path()) / "server.log";
  StartServer({"-log", log.string()});
  ASSERT_NE(display_.WaitForWindow("Select Config"), 0u) << Transcript();
  display_.End();
  EXPECT_EQ(server_->WaitForExit(kLongWait), 1) << Transcript();
  const std::string logged = test::FileText(log);
  EXPECT_NE(logged.find("Server stopped.", logged.find("Server initialized.")), std::string::npos)
      << logged;
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

// Stop Server pressed again while the stop waits for a hung engine asks nothing and starts no
// second stop: the console says that one is under way.
TEST_F(WindowUnderX, StopServerDuringTheWaitForAHungEngineSaysAStopIsUnderWay) {
  StartServer({"-config", "deathmatch"}, "hang:20");
  const unsigned long statusWindow = display_.WaitForWindow(kStatusTitle);
  ASSERT_NE(statusWindow, 0u) << Transcript();
  ASSERT_TRUE(
      server_->WaitForOutput("The engine is not responding; it last answered at ", kLongWait))
      << Transcript();
  DialogOnScreen status(display_, res::IDD_SERVER, statusWindow);
  ASSERT_TRUE(status.ClickSplashAway());
  ASSERT_TRUE(status.ClickControl(res::IDC_STOP_SERVER));
  const unsigned long question = display_.WaitForWindow(kStatusTitle, statusWindow);
  ASSERT_NE(question, 0u) << Transcript();
  ASSERT_TRUE(display_.WaitForFocus(question));
  ASSERT_TRUE(display_.Key("y"));
  const std::string waiting = "Waiting up to 5 seconds for the engine";
  ASSERT_TRUE(server_->WaitForOutput(waiting, kLongWait)) << Transcript();

  // Another point of the button: xdotool's synchronous move waits for a motion that a pointer
  // already in place never makes.
  ASSERT_TRUE(status.ClickControl(res::IDC_STOP_SERVER, 8));
  EXPECT_TRUE(server_->WaitForOutput("A stop is already under way.", kLongWait)) << Transcript();
  EXPECT_EQ(server_->WaitForExit(kLongWait), 2) << Transcript();
  const std::string& output = server_->Output();
  EXPECT_EQ(output.find(waiting), output.rfind(waiting)) << Transcript();
  EXPECT_NE(output.find("Server stopped."), std::string::npos) << Transcript();
}

// A desktop's window manager places each window itself, a moment after the program shows it.
class WindowUnderAWindowManager : public WindowUnderX {
 protected:
  void SetUp() override {
    WindowUnderX::SetUp();
    ASSERT_TRUE(display_.StartWindowManager())
        << "no window manager (scripts/install-deps installs evilwm)";
  }
};

std::pair<int, int> Centre(const XDisplay::Geometry& window) {
  return {window.X + window.Width / 2, window.Y + window.Height / 2};
}

// The status window is placed by the window manager a moment after it is shown, away from where
// the program put it: the error boxes of a failed start are centred on it as placed, and the last,
// once it has gone, on the screen.
TEST_F(WindowUnderAWindowManager, EarlyErrorBoxesAreCentredOnTheWindowAsPlacedOrTheScreen) {
  StartServer({"-config", "missing"});
  // Both bear the program's name: the status window and the error box over it.
  std::vector<std::pair<unsigned long, XDisplay::Geometry>> windows;
  for (const unsigned long id : display_.WaitForWindows(kStatusTitle, 2)) {
    if (const auto geometry = display_.WindowGeometry(id)) {
      windows.emplace_back(id, *geometry);
    }
  }
  ASSERT_EQ(windows.size(), 2u) << Transcript();
  EXPECT_TRUE(display_.Screenshot(Artifact("x-early-error-box.png").string()));
  std::sort(windows.begin(), windows.end(), [](const auto& a, const auto& b) {
    return a.second.Width * a.second.Height < b.second.Width * b.second.Height;
  });
  const auto& [boxWindow, box] = windows[0];
  const auto& [statusWindow, status] = windows[1];
  ASSERT_NE(std::pair(status.X, status.Y), std::pair(0, 0)) << "the window manager placed nothing";
  EXPECT_NEAR(Centre(box).first, Centre(status).first, 2) << Transcript();
  EXPECT_NEAR(Centre(box).second, Centre(status).second, 2) << Transcript();
  // The window manager gives the keyboard to the window that is clicked.
  ASSERT_TRUE(display_.Click(boxWindow, box.Width / 2, 4));
  ASSERT_TRUE(display_.Key("Return"));

  const unsigned long lastBox = display_.WaitForWindow(kStatusTitle, {boxWindow, statusWindow});
  ASSERT_NE(lastBox, 0u) << Transcript();
  const auto last = display_.WindowGeometry(lastBox);
  ASSERT_TRUE(last);
  EXPECT_NEAR(Centre(*last).first, XDisplay::kScreenWidth / 2, 2) << Transcript();
  EXPECT_NEAR(Centre(*last).second, XDisplay::kScreenHeight / 2, 2) << Transcript();
  ASSERT_TRUE(display_.Click(lastBox, last->Width / 2, 4));
  ASSERT_TRUE(display_.Key("Return"));
  EXPECT_EQ(server_->WaitForExit(kLongWait), 4) << Transcript();
}

// The window manager moves the status window a moment after it shows; the selection dialog that
// the start opens at once waits for that and is centred on the window where it is.
TEST_F(WindowUnderAWindowManager, TheSelectionDialogIsCentredOnTheWindowAsPlaced) {
  StartServer({});
  const unsigned long selectionWindow = display_.WaitForWindow("Select Config");
  ASSERT_NE(selectionWindow, 0u) << Transcript();
  const unsigned long statusWindow = display_.WaitForWindow(kStatusTitle);
  ASSERT_NE(statusWindow, 0u) << Transcript();
  const auto selection = display_.WindowGeometry(selectionWindow);
  const auto status = display_.WindowGeometry(statusWindow);
  ASSERT_TRUE(selection && status);
  EXPECT_TRUE(display_.Screenshot(Artifact("x-select-config-placed.png").string()));
  ASSERT_NE(std::pair(status->X, status->Y), std::pair(0, 0))
      << "the window manager placed nothing";
  EXPECT_NEAR(Centre(*selection).first, Centre(*status).first, 2) << Transcript();
  EXPECT_NEAR(Centre(*selection).second, Centre(*status).second, 2) << Transcript();
  // The window manager gives the keyboard to the window that is clicked.
  ASSERT_TRUE(display_.Click(selectionWindow, selection->Width / 2, 4));
  ASSERT_TRUE(display_.Key("Return"));
  ASSERT_TRUE(server_->WaitForOutput("Server is running.", kLongWait)) << Transcript();
  server_->Signal(SIGTERM);
  EXPECT_EQ(server_->WaitForExit(kLongWait), 2) << Transcript();
}

// What the error boxes said stays in the log with its cause; the port's likely owner is a guess
// below the cause, not in its place.
TEST_F(WindowUnderAWindowManager, TheLogKeepsTheErrorBoxesWithTheCauseAndTheGuess) {
  const test::HeldPort taken;
  const fs::path log = fs::path(game_.Path()) / "server.log";
  StartServer({"-config", "deathmatch", "-port", taken.Port(), "-log", log.string()});
  // The status window and the first box bear the program's name; the box is the smaller.
  std::vector<unsigned long> windows = display_.WaitForWindows(kStatusTitle, 2);
  ASSERT_EQ(windows.size(), 2u) << Transcript();
  const auto area = [&](unsigned long window) {
    const auto geometry = display_.WindowGeometry(window);
    return geometry ? geometry->Width * geometry->Height : 0;
  };
  unsigned long box = area(windows[0]) < area(windows[1]) ? windows[0] : windows[1];
  for (int shown = 0; shown < 2; ++shown) {
    ASSERT_NE(box, 0u) << Transcript();
    // The window manager gives the keyboard to the window that is clicked.
    const auto geometry = display_.WindowGeometry(box);
    ASSERT_TRUE(geometry);
    ASSERT_TRUE(display_.Click(box, geometry->Width / 2, 4));
    ASSERT_TRUE(display_.Key("Return"));
    box = shown == 0 ? display_.WaitForWindow(kStatusTitle, windows) : 0;
    windows.push_back(box);
  }
  EXPECT_EQ(server_->WaitForExit(kLongWait), 4) << Transcript();
  const std::string logged = test::FileText(log);
  const auto hostBox = logged.find("VexServer: ERROR - Unable to host the game.");
  ASSERT_NE(hostBox, std::string::npos) << logged;
  const auto cause =
      logged.find("Hosting failed: Cannot bind UDP port " + taken.Port() + ": ", hostBox);
  EXPECT_NE(cause, std::string::npos) << logged;
  EXPECT_NE(logged.find("Perhaps it is another server's query port", cause), std::string::npos)
      << logged;
  EXPECT_NE(logged.find("VexServer: ERROR - Unable to start server.", hostBox), std::string::npos)
      << logged;
  EXPECT_NE(logged.find("Server stopped.", logged.find("Server initialized.")), std::string::npos)
      << logged;
}

// A name wider than its label ends in an ellipsis, never in half a letter, and the whole name is
// the label's tooltip.
TEST_F(WindowUnderAWindowManager, ALongServerNameShowsItsWholeTextAsATooltip) {
  const std::string name(63, 'W');
  const unsigned long statusWindow = StartRunningServer({"-name", name});
  ASSERT_NE(statusWindow, 0u) << Transcript();
  DialogOnScreen status(display_, res::IDD_SERVER, statusWindow);
  const auto label = ControlArea(status, res::IDC_SERVER_NAME);
  const auto window = display_.WindowGeometry(statusWindow);
  ASSERT_TRUE(label && window);
  // Right of the label and below it, where a tooltip longer than the label reaches.
  const XDisplay::Geometry beyond{label->X + label->Width, label->Y + label->Height, 200, 40};
  EXPECT_EQ(PixelsOfColour(display_, beyond, TooltipYellow), 0);
  // A click gives the window the focus (the window manager's doing) or takes the splash away; a
  // tooltip shows where the pointer then rests.
  EXPECT_TRUE(test::WaitUntil(
      [&] {
        status.ClickControl(res::IDC_SERVER_NAME, 20);
        display_.MovePointer(statusWindow, label->X - window->X + label->Width / 2,
                             label->Y - window->Y + label->Height / 2);
        return test::WaitUntil([&] { return PixelsOfColour(display_, beyond, TooltipYellow) > 0; },
                               5s, 200ms);
      },
      kLongWait, 0ms))
      << "no tooltip longer than the label";
  EXPECT_TRUE(display_.Screenshot(Artifact("x-server-name-tooltip.png").string()));
}

// Runs of pixels this long from the splash picture's dark parts never occur in the status
// window's own drawing: its widgets are light and its dark lines and text are thin.
constexpr std::size_t kRunPixels = 16;

std::string_view PixelRun(const res::Picture& picture, int x, int y) {
  const auto at = (static_cast<std::size_t>(y) * picture.width + x) * 3;
  return {reinterpret_cast<const char*>(picture.rgb.data() + at), kRunPixels * 3};
}

bool StartsLight(std::string_view run) {
  return std::all_of(run.begin(), run.begin() + 3,
                     [](char channel) { return static_cast<unsigned char>(channel) >= 128; });
}

// Rows of `shown` of which at least a quarter is runs of the splash picture's dark pixels,
// wherever the splash lay.
int RowsShowingTheSplash(const res::Picture& shown, const res::Picture& splash) {
  const int runsPerSplashRow = splash.width - static_cast<int>(kRunPixels) + 1;
  const int runsPerRow = shown.width - static_cast<int>(kRunPixels) + 1;
  std::unordered_set<std::string_view> splashRuns;
  for (int y = 0; y < splash.height; ++y) {
    for (int x = 0; x < runsPerSplashRow; ++x) {
      if (const std::string_view run = PixelRun(splash, x, y); !StartsLight(run)) {
        splashRuns.insert(run);
      }
    }
  }
  int rows = 0;
  for (int y = 0; y < shown.height; ++y) {
    int found = 0;
    for (int x = 0; x < runsPerRow; ++x) {
      found += splashRuns.contains(PixelRun(shown, x, y)) ? 1 : 0;
    }
    rows += runsPerRow > 0 && found * 4 >= runsPerRow ? 1 : 0;
  }
  return rows;
}

TEST_F(WindowUnderAWindowManager, NoStripOfTheSplashStaysInTheWindow) {
  const auto splash = res::LoadPicture(res::IDB_SPLASH);
  ASSERT_TRUE(splash);
  const unsigned long statusWindow = StartRunningServer();
  ASSERT_NE(statusWindow, 0u) << Transcript();
  // The splash, which Qt titles with the program's file name, closes by itself.
  ASSERT_TRUE(display_.WaitUntilNoWindow("vexserver")) << Transcript();
  // Drawing over what the splash left takes a moment; a stale strip stays.
  int rows = -1;
  test::WaitUntil(
      [&] {
        const auto geometry = display_.WindowGeometry(statusWindow);
        const auto shown = geometry ? display_.ScreenPixels(*geometry) : std::nullopt;
        rows = shown ? RowsShowingTheSplash(*shown, *splash) : -1;
        return rows == 0;
      },
      10s, 0ms);
  EXPECT_TRUE(display_.Screenshot(Artifact("x-after-the-splash.png").string()));
  EXPECT_EQ(rows, 0) << Transcript();
}

INSTANTIATE_TEST_SUITE_P(WindowUnderX, StopSignalUnderX, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& signal) {
                           return signal.param == SIGTERM  ? std::string("Sigterm")
                                  : signal.param == SIGINT ? std::string("Sigint")
                                                           : std::string("Sighup");
                         });

}  // namespace
}  // namespace vex
