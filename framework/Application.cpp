#include "framework/Application.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "framework/BackEnd.h"
#include "framework/TerminalCapture.h"
#include "framework/WindowThread.h"

namespace vex::fw {
namespace {

CWinApp* theApp = nullptr;

// Qt keeps a reference to argc for the life of its application object.
int backEndArgc = 0;

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string_view() : std::string_view(value);
}

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
}

void CWinApp::StopBackEnd() {
  SetActiveBackEnd(nullptr);
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

void TerminalWrite(std::string_view text) {
  CaptureTerminalText(text);
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
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
