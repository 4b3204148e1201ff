#include "framework/qt/DisplayLoss.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <atomic>
#include <cstdio>
#include <utility>

#include "framework/WindowThread.h"

namespace vex::fw {
namespace {

constexpr int kDisplayLostExitCode = 1;

std::function<void()> lostHandler;
// Qt may log from any thread.
std::atomic<QtMessageHandler> previousHandler{nullptr};
std::atomic<bool> displayLost{false};

bool ConnectionBroken() {
  const auto* x11 =
      qGuiApp == nullptr ? nullptr : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr && x11->connection() != nullptr &&
         xcb_connection_has_error(x11->connection()) != 0;
}

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (const QtMessageHandler previous = previousHandler.load(); previous != nullptr) {
    previous(type, context, message);
  }
  if (!OnWindowThread() || displayLost.load() || !ConnectionBroken()) {
    return;
  }
  displayLost = true;
  if (lostHandler) {
    lostHandler();
  }
  std::fflush(nullptr);
  _exit(kDisplayLostExitCode);
}

}  // namespace

DisplayLossWatch::DisplayLossWatch(std::function<void()> onLost) {
  lostHandler = std::move(onLost);
  previousHandler = qInstallMessageHandler(OnQtMessage);
}

DisplayLossWatch::~DisplayLossWatch() {
  qInstallMessageHandler(previousHandler.exchange(nullptr));
  lostHandler = nullptr;
}

bool DisplayLost() {
  return displayLost.load();
}

}  // namespace vex::fw
