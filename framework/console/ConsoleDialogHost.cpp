#include "framework/console/ConsoleDialogHost.h"

#include "framework/console/ConsoleControls.h"
#include "framework/console/ConsoleEdit.h"
#include "framework/console/ConsoleListCtrl.h"

namespace vex::fw {
namespace {

std::unique_ptr<CWnd> MakeControl(CDialog& dialog, const res::ControlTemplate& layout) {
  switch (layout.kind) {
    case res::ControlKind::GroupBox:
    case res::ControlKind::Label:
      return std::make_unique<ConsoleStatic>(dialog, layout);
    case res::ControlKind::Edit:
      if (layout.Has(res::kMultiLine)) {
        return std::make_unique<ConsoleEdit>(dialog, layout);
      }
      return std::make_unique<ConsoleLineEdit>(dialog, layout);
    case res::ControlKind::PushButton:
      return std::make_unique<ConsoleButton>(dialog, layout);
    case res::ControlKind::ListView:
      return std::make_unique<ConsoleListCtrl>(dialog, layout);
    case res::ControlKind::ComboBox:
      return std::make_unique<ConsoleComboBox>(dialog, layout);
  }
  return nullptr;
}

}  // namespace

ConsoleDialogHost::ConsoleDialogHost(CDialog& dialog, const res::DialogTemplate& layout) {
  for (const res::ControlTemplate& control : layout.controls) {
    // Labels without an id cannot be reached by the dialog; nothing needs to hold them.
    if (control.id != res::kStaticId) {
      controls_[control.id] = MakeControl(dialog, control);
    }
  }
}

CWnd* ConsoleDialogHost::Item(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second.get();
}

}  // namespace vex::fw
