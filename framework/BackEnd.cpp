#include "framework/BackEnd.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "framework/WindowThread.h"

namespace vex::fw {
namespace {

std::unique_ptr<IBackEnd>& ActiveSlot() {
  static std::unique_ptr<IBackEnd> active;
  return active;
}

std::vector<CDialog*>& OpenDialogs() {
  static std::vector<CDialog*> dialogs;
  return dialogs;
}

std::atomic<bool> windowThreadKnown{false};
std::atomic<std::thread::id> windowThread{};

}  // namespace

IBackEnd* ActiveBackEnd() {
  return ActiveSlot().get();
}

void SetActiveBackEnd(std::unique_ptr<IBackEnd> backEnd) {
  // The old back-end goes first: only one Qt application object may exist at a time.
  ActiveSlot().reset();
  ActiveSlot() = std::move(backEnd);
}

void RegisterOpenDialog(CDialog* dialog) {
  OpenDialogs().push_back(dialog);
}

void UnregisterOpenDialog(CDialog* dialog) {
  auto& dialogs = OpenDialogs();
  dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
}

CDialog* TopOpenDialog() {
  const auto& dialogs = OpenDialogs();
  return dialogs.empty() ? nullptr : dialogs.back();
}

void MarkWindowThread() {
  windowThread.store(std::this_thread::get_id());
  windowThreadKnown.store(true);
}

bool OnWindowThread() {
  return !windowThreadKnown.load() || windowThread.load() == std::this_thread::get_id();
}

}  // namespace vex::fw
