#include "framework/Application.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "framework/BackEnd.h"
#include "framework/TerminalStyle.h"
#include "framework/TerminalWriter.h"
#include "framework/VisibleText.h"
#include "framework/WindowThread.h"

namespace vex::fw {
namespace {

CWinApp* theApp = nullptr;

// Qt keeps a reference to argc for the life of its application object.
int backEndArgc = 0;

// Output a reader has not taken yet; a burst of console lines fits many times over.
constexpr std::size_t kHeldOutputBytes = 256 * 1024;
// The last lines ("Server stopped.") are worth a short wait for a slow reader, not a long one.
constexpr std::uint32_t kFinalFlushMs = 1000;
constexpr int kHeldOutputRetryMs = 100;

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

// Never destroyed: at the end of the program its output may still wait for a stalled reader.
TerminalWriter& StandardOutput() {
  static auto* writer = new TerminalWriter(STDOUT_FILENO, kHeldOutputBytes);
  return *writer;
}

// Standard error is often the same terminal as standard output, with the same stalled reader.
TerminalWriter& StandardError() {
  static auto* writer = new TerminalWriter(STDERR_FILENO, kHeldOutputBytes);
  return *writer;
}

// Output held for a slow reader goes out as the reader takes it, even when nothing new is written.
std::unique_ptr<QTimer> heldOutputRetry;

TerminalLineKeeper lineKeeper;

}  // namespace

FrontEnd ChooseFrontEnd(bool forceConsole, bool windowBuilt, std::string_view display,
                        std::string_view waylandDisplay) {
  if (forceConsole || !windowBuilt || (display.empty() && waylandDisplay.empty())) {
    return FrontEnd::Console;
  }
  return FrontEnd::Window;
}

FrontEnd ChooseFrontEnd(bool forceConsole) {
  return ChooseFrontEnd(forceConsole, WindowFrontEndBuilt(), Environment("DISPLAY"),
                        Environment("WAYLAND_DISPLAY"));
}

CWinApp::CWinApp(std::string appName) : appName_(std::move(appName)) {
  theApp = this;
}

CWinApp::~CWinApp() {
  if (theApp == this) {
    StopBackEnd();
    theApp = nullptr;
  }
}

int CWinApp::Start(int argc, char** argv, FrontEnd frontEnd) {
  StartBackEnd(argc, argv, frontEnd);
  int result = 0;
  if (InitInstance()) {
    result = Run();
  }
  StopBackEnd();
  FlushTerminal(kFinalFlushMs);
  return result;
}

void CWinApp::StartBackEnd(int argc, char** argv, FrontEnd frontEnd) {
  if (ActiveBackEnd() != nullptr) {
    return;
  }
  backEndArgc = argc;
  std::unique_ptr<IBackEnd> backEnd = CreateBackEnd(frontEnd, backEndArgc, argv);
  if (!backEnd) {
    backEnd = CreateBackEnd(FrontEnd::Console, backEndArgc, argv);
  }
  frontEnd_ = backEnd->Kind();
  MarkWindowThread();
  SetActiveBackEnd(std::move(backEnd));
  heldOutputRetry = std::make_unique<QTimer>();
  heldOutputRetry->callOnTimeout([] {
    StandardOutput().Flush(0);
    StandardError().Flush(0);
  });
  heldOutputRetry->start(kHeldOutputRetryMs);
}

void CWinApp::StopBackEnd() {
  heldOutputRetry.reset();
  SetActiveBackEnd(nullptr);
}

void CWinApp::OnStopSignalUntaken(int received) {
  if (received >= 2) {
    FlushTerminal(kFinalFlushMs);
    _exit(1);
  }
}

bool CWinApp::InitInstance() {
  return true;
}

int CWinApp::Run() {
  return QCoreApplication::exec();
}

CWinApp* AfxGetApp() {
  return theApp;
}

void SetTerminalLineKeeper(TerminalLineKeeper keeper) {
  lineKeeper = std::move(keeper);
}

void TerminalWrite(std::string_view text) {
  if (lineKeeper.Hide) {
    lineKeeper.Hide();
  }
  StandardOutput().Write(DecorateForTerminal(VisibleText(text, LineFeeds::Keep)));
  if (lineKeeper.Show) {
    lineKeeper.Show();
  }
}

void TerminalWriteDrawing(std::string_view bytes) {
  StandardOutput().Write(bytes);
}

void ErrorWrite(std::string_view text) {
  if (lineKeeper.Hide) {
    lineKeeper.Hide();
  }
  StandardError().Write(text);
  if (lineKeeper.Show) {
    lineKeeper.Show();
  }
}

void FlushTerminal(std::uint32_t milliseconds) {
  StandardOutput().Flush(milliseconds);
  StandardError().Flush(milliseconds);
}

std::uint64_t TerminalLinesDropped() {
  return StandardOutput().LinesDropped();
}

void PumpEvents(int milliseconds) {
  if (QCoreApplication::instance() == nullptr) {
    return;
  }
  if (milliseconds <= 0) {
    QCoreApplication::processEvents();
    return;
  }
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace vex::fw
