#include "framework/Dialog.h"

#include <cstdio>
#include <cstdlib>

#include "framework/BackEnd.h"
#include "framework/DialogRuntime.h"
#include "framework/MessageBox.h"
#include "framework/WindowThread.h"
#include "res/DialogTemplates.h"

namespace vex::fw {

CDialog::CDialog(int templateId, CDialog* parent)
    : templateId_(templateId), parent_(parent), runtime_(std::make_shared<DialogRuntime>(*this)) {
  if (const res::DialogTemplate* layout = res::FindDialogTemplate(templateId)) {
    runtime_->caption = std::string(layout->caption);
  }
}

CDialog::~CDialog() {
  DestroyWindowHost();
  runtime_->Detach();
}

int CDialog::DoModal() {
  if (!Create()) {
    return -1;
  }
  const int result = runtime_->RunModalLoop();
  DestroyWindowHost();
  return result;
}

bool CDialog::Create() {
  if (host_) {
    return true;
  }
  IBackEnd* backEnd = ActiveBackEnd();
  const res::DialogTemplate* layout = res::FindDialogTemplate(templateId_);
  if (backEnd == nullptr || layout == nullptr) {
    return false;
  }
  host_ = backEnd->CreateDialogHost(*this, *layout, parent_);
  if (!host_) {
    return false;
  }
  RegisterOpenDialog(this);
  runtime_->ClearEnd();
  runtime_->visible = false;
  host_->SetCaption(runtime_->caption);
  if (runtime_->iconId != 0) {
    host_->SetIcon(runtime_->iconId);
  }
  if (OnInitDialog()) {
    host_->FocusFirstControl();
  }
  // A dialog that ended itself while it initialised is never shown; a command it posted then runs
  // only once the loop does, after the window has appeared.
  if (!runtime_->Ended()) {
    ShowWindow(true);
  }
  return true;
}

void CDialog::DestroyWindowHost() {
  if (!host_) {
    return;
  }
  runtime_->KillAllTimers();
  host_->Show(false);
  runtime_->visible = false;
  UnregisterOpenDialog(this);
  host_.reset();
}

void CDialog::EndDialog(int result) {
  if (!IsWindowThread()) {
    PostTask([this, result] { EndDialog(result); });
    return;
  }
  runtime_->EndModal(result);
  ShowWindow(false);
}

bool CDialog::IsModalLoopRunning() const {
  return runtime_->ModalLoopRunning();
}

void CDialog::PostCommand(int id) {
  runtime_->Post([this, id] { DispatchCommand(id); });
}

void CDialog::PostTask(std::function<void()> task) {
  runtime_->Post(std::move(task));
}

void CDialog::SendCommand(int id) {
  if (IsWindowThread()) {
    DispatchCommand(id);
    return;
  }
  runtime_->Send([this, id] { DispatchCommand(id); });
}

bool CDialog::IsWindowThread() const {
  return OnWindowThread();
}

void CDialog::SetTimer(int id, unsigned milliseconds) {
  if (!IsWindowThread()) {
    PostTask([this, id, milliseconds] { SetTimer(id, milliseconds); });
    return;
  }
  runtime_->SetTimer(id, milliseconds);
}

void CDialog::KillTimer(int id) {
  if (!IsWindowThread()) {
    PostTask([this, id] { KillTimer(id); });
    return;
  }
  runtime_->KillTimer(id);
}

void CDialog::SetWindowText(std::string_view caption) {
  runtime_->caption = std::string(caption);
  if (host_) {
    host_->SetCaption(caption);
  }
}

std::string CDialog::GetWindowText() const {
  return runtime_->caption;
}

void CDialog::SetIcon(int iconResourceId) {
  runtime_->iconId = iconResourceId;
  if (host_) {
    host_->SetIcon(iconResourceId);
  }
}

void CDialog::ShowWindow(bool show) {
  if (!host_ || runtime_->visible == show) {
    return;
  }
  host_->Show(show);
  runtime_->visible = show;
  DispatchShow(show);
}

bool CDialog::IsWindowVisible() const {
  return host_ && runtime_->visible;
}

void CDialog::RedrawWindow() {
  if (host_) {
    host_->Redraw();
  }
}

bool CDialog::UpdateData(bool saveAndValidate) {
  if (!host_) {
    return false;
  }
  CDataExchange exchange(*this, saveAndValidate);
  DoDataExchange(exchange);
  return true;
}

CWnd& CDialog::Item(int id) const {
  CWnd* control = host_ ? host_->Item(id) : nullptr;
  if (control == nullptr) {
    // Only a programming error gets here: the templates are part of the program.
    std::fprintf(stderr, "dialog %d has no control %d while its window %s\n", templateId_, id,
                 host_ ? "exists" : "does not exist");
    std::abort();
  }
  return *control;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnCommand(int id) {
  if (id == IDOK) {
    OnOK();
  } else if (id == IDCANCEL) {
    OnCancel();
  }
}

void CDialog::OnNotify(int, Notification) {}

void CDialog::OnTimer(int) {}

void CDialog::OnShowWindow(bool) {}

void CDialog::OnSize(int, int) {}

void CDialog::OnOK() {
  if (UpdateData(true)) {
    EndDialog(IDOK);
  }
}

void CDialog::OnCancel() {
  EndDialog(IDCANCEL);
}

bool CDialog::PreTranslateInput(InputEvent) {
  return false;
}

void CDialog::DoDataExchange(CDataExchange&) {}

void CDialog::OnTerminalLine(const std::string&) {}

bool CDialog::TakeTerminalLine(const std::string& line) {
  OnTerminalLine(line);
  return true;
}

std::vector<std::string> CDialog::CompleteTerminalWord(std::string_view, std::string_view) {
  return {};
}

void CDialog::OnDisplayLost() {}

void CDialog::OnStopSignal() {
  OnCommand(IDCANCEL);
}

}  // namespace vex::fw
