#pragma once

#include <map>
#include <memory>

#include "framework/DialogHost.h"
#include "res/DialogTemplates.h"

namespace vex::fw {

class CDialog;

// A dialog's controls held in memory; the terminal shows only what the dialog prints.
class ConsoleDialogHost final : public IDialogHost {
 public:
  ConsoleDialogHost(CDialog& dialog, const res::DialogTemplate& layout);

  CWnd* Item(int id) const override;
  void SetCaption(std::string_view) override {}
  void SetIcon(int) override {}
  void Show(bool show) override { visible_ = show; }
  bool IsVisible() const override { return visible_; }
  void Redraw() override {}
  void FocusFirstControl() override {}

 private:
  std::map<int, std::unique_ptr<CWnd>> controls_;
  bool visible_ = false;
};

}  // namespace vex::fw
