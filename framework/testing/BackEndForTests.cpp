#include "framework/testing/BackEndForTests.h"

#include <QElapsedTimer>
#include <cstdlib>
#include <memory>

#include "framework/console/ConsoleBackEnd.h"

namespace vex::test {

using namespace fw;
namespace {

std::unique_ptr<CWinApp>& TestApp() {
  static std::unique_ptr<CWinApp> app;
  return app;
}

char programName[] = "vex_tests";
char* arguments[] = {programName, nullptr};

}  // namespace

void BackEndEnvironment::SetUp() {
  if (frontEnd_ == FrontEnd::Window) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  }
  ConsoleOptions options;
  options.ReadTerminal = false;
  options.CatchStopSignals = false;
  SetConsoleOptions(options);
  CWinApp* app = AfxGetApp();
  if (app == nullptr) {
    TestApp() = std::make_unique<CWinApp>("VexServer");
    app = TestApp().get();
  }
  app->StartBackEnd(1, arguments, frontEnd_);
}

void BackEndEnvironment::TearDown() {
  if (CWinApp* app = AfxGetApp()) {
    app->StopBackEnd();
  }
  TestApp().reset();
}

FrontEnd RunningFrontEnd() {
  const CWinApp* app = AfxGetApp();
  return app == nullptr ? FrontEnd::Console : app->ActiveFrontEnd();
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMilliseconds) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() >= timeoutMilliseconds) {
      return false;
    }
    PumpEvents(5);
  }
  return true;
}

MessageBoxRecorder::MessageBoxRecorder(int answer) : answer_(answer) {
  SetMessageBoxHandler(
      [this](std::string_view text, std::string_view caption, MessageBoxStyle style) {
        boxes_.push_back(Box{std::string(text), std::string(caption), style});
        return answer_;
      });
}

MessageBoxRecorder::~MessageBoxRecorder() {
  SetMessageBoxHandler({});
}

}  // namespace vex::test
