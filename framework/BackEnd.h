#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "framework/Application.h"
#include "framework/DialogHost.h"
#include "framework/MessageBox.h"
#include "framework/PictureWindow.h"
#include "res/DialogTemplates.h"

namespace vex::fw {

class CDialog;

// One driver of the framework: console or Qt. The framework's core talks to the active one only
// through this interface.
class IBackEnd {
 public:
  virtual ~IBackEnd() = default;
  virtual FrontEnd Kind() const = 0;
  // Builds the window and controls of a template, hidden; null when it cannot be made. The owner
  // is the dialog's parent, if it has one.
  virtual std::unique_ptr<IDialogHost> CreateDialogHost(CDialog& dialog,
                                                        const res::DialogTemplate& layout,
                                                        CDialog* owner) = 0;
  virtual int ShowMessageBox(std::string_view text, std::string_view caption,
                             MessageBoxStyle style) = 0;
  // Answers yes to a question that is open on screen, as if the operator had; false when none is.
  virtual bool AnswerOpenQuestion() = 0;
  virtual std::unique_ptr<PictureWindow> CreatePictureWindow(int bitmapId, CDialog* owner) = 0;
  virtual bool SaveWindowImage(const CDialog& dialog, const std::string& pngPath) = 0;
};

// Creates the back-end of a front-end (and the Qt application object it needs); null when that
// front-end is not built in.
std::unique_ptr<IBackEnd> CreateBackEnd(FrontEnd frontEnd, int& argc, char** argv);

// The process's one active back-end; null before start and after stop.
IBackEnd* ActiveBackEnd();
void SetActiveBackEnd(std::unique_ptr<IBackEnd> backEnd);

// Dialogs whose windows exist, oldest first; input, terminal lines and stop signals go to the
// newest, which is the one whose modal loop runs.
void RegisterOpenDialog(CDialog* dialog);
void UnregisterOpenDialog(CDialog* dialog);
CDialog* TopOpenDialog();

}  // namespace vex::fw
