#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/Dialog.h"
#include "res/Resource.h"

namespace vex::test {

// A dialog that keeps every event the framework delivers to it, and on which thread.
class RecordingDialog : public fw::CDialog {
 public:
  explicit RecordingDialog(int templateId = res::IDD_SERVER, fw::CDialog* parent = nullptr)
      : fw::CDialog(templateId, parent) {}

  std::vector<int> commands;
  std::vector<std::pair<int, fw::Notification>> notifications;
  std::vector<int> timers;
  std::vector<bool> shows;
  std::vector<std::string> lines;
  std::vector<fw::InputEvent> inputs;
  bool swallowInput = false;
  bool offWindowThread = false;
  int endOnCommand = 0;  // a command id that ends the dialog with 100 + id
  std::string name;
  std::uint32_t count = 0;

 protected:
  void OnCommand(int id) override {
    offWindowThread |= !IsWindowThread();
    commands.push_back(id);
    if (id == endOnCommand) {
      EndDialog(100 + id);
      return;
    }
    fw::CDialog::OnCommand(id);
  }
  void OnNotify(int controlId, fw::Notification code) override {
    notifications.emplace_back(controlId, code);
  }
  void OnTimer(int id) override {
    offWindowThread |= !IsWindowThread();
    timers.push_back(id);
  }
  void OnShowWindow(bool show) override { shows.push_back(show); }
  void OnTerminalLine(const std::string& line) override { lines.push_back(line); }
  bool PreTranslateInput(fw::InputEvent event) override {
    inputs.push_back(event);
    return swallowInput;
  }
  void DoDataExchange(fw::CDataExchange& dx) override {
    if (TemplateId() != res::IDD_SERVER) {
      return;
    }
    dx.Text(res::IDC_SERVER_NAME, name);
    dx.Number(res::IDC_PEAK_PLAYERS, count);
  }
};

inline int CountOf(const std::vector<int>& values, int value) {
  int n = 0;
  for (int v : values) {
    n += v == value ? 1 : 0;
  }
  return n;
}

}  // namespace vex::test
