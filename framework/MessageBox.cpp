#include "framework/MessageBox.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "framework/Application.h"
#include "framework/BackEnd.h"
#include "framework/StringTable.h"
#include "framework/VisibleText.h"
#include "res/Resource.h"

namespace vex::fw {
namespace {

std::mutex handlerMutex;
MessageBoxHandler handler;

std::string Caption() {
  if (const CWinApp* app = AfxGetApp()) {
    return app->AppName();
  }
  return std::string(LoadStringOrEmpty(res::IDS_APP_NAME));
}

}  // namespace

int AfxMessageBox(std::string_view text, MessageBoxStyle style) {
  MessageBoxHandler current;
  {
    std::lock_guard lock(handlerMutex);
    current = handler;
  }
  const std::string caption = Caption();
  if (current) {
    return current(text, caption, style);
  }
  if (IBackEnd* backEnd = ActiveBackEnd()) {
    return backEnd->ShowMessageBox(text, caption, style);
  }
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), VisibleText(text, LineFeeds::Keep).c_str());
  return style == MessageBoxStyle::YesNoQuestion ? IDYES : IDOK;
}

bool AnswerOpenQuestion() {
  IBackEnd* backEnd = ActiveBackEnd();
  return backEnd != nullptr && backEnd->AnswerOpenQuestion();
}

void SetMessageBoxHandler(MessageBoxHandler newHandler) {
  std::lock_guard lock(handlerMutex);
  handler = std::move(newHandler);
}

}  // namespace vex::fw
