#include "framework/console/ConsoleBackEnd.h"

#include <unistd.h>

#include <QCoreApplication>

#include "framework/Application.h"
#include "framework/BackEnd.h"
#include "framework/Dialog.h"
#include "framework/TerminalStyle.h"
#include "framework/console/ConsoleDialogHost.h"
#include "framework/console/LineEditor.h"
#include "framework/console/StopSignals.h"
#include "framework/console/TerminalInput.h"

namespace vex::fw {
namespace {

ConsoleOptions nextOptions;

void ReopenLog() {
  if (CWinApp* app = AfxGetApp()) {
    app->OnReopenSignal();
  }
}

class ConsoleBackEnd final : public IBackEnd {
 public:
  ConsoleBackEnd(int& argc, char** argv, const ConsoleOptions& options) {
    if (QCoreApplication::instance() == nullptr) {
      ownApp_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    if (options.ReadTerminal && options.TerminalFd == STDIN_FILENO && isatty(STDIN_FILENO) == 1 &&
        isatty(STDOUT_FILENO) == 1 && !DumbTerminal()) {
      editor_ = std::make_unique<LineEditor>(
          [](const std::string& line) {
            if (CDialog* dialog = TopOpenDialog()) {
              dialog->DispatchTerminalLine(line);
            }
          },
          [](std::string_view before, std::string_view word) {
            CDialog* dialog = TopOpenDialog();
            return dialog == nullptr ? std::vector<std::string>{}
                                     : dialog->DispatchCompletion(before, word);
          },
          LineEditor::DefaultHistoryFile());
      SetTerminalLineKeeper({[this] { editor_->HideLine(); }, [this] { editor_->ShowLine(); }});
    } else if (options.ReadTerminal) {
      input_ = std::make_unique<TerminalInput>(options.TerminalFd, [](const std::string& line) {
        CDialog* dialog = TopOpenDialog();
        return dialog == nullptr || dialog->DispatchTerminalLineThatCanWait(line);
      });
    }
    if (options.CatchStopSignals) {
      // A closed terminal (an SSH session that ended) stops the server like any other stop.
      signals_ = std::make_unique<StopSignals>(
          [] {
            if (CDialog* dialog = TopOpenDialog()) {
              dialog->PostTask([dialog] { dialog->DispatchStopSignal(); });
            }
          },
          std::initializer_list<int>{SIGINT, SIGTERM, SIGHUP});
      signals_->WhenUntaken([](int received) {
        if (CWinApp* app = AfxGetApp()) {
          app->OnStopSignalUntaken(received);
        }
      });
      signals_->Repeat(SIGUSR1, ReopenLog);
      if (editor_) {
        signals_->Repeat(SIGWINCH, [this] { editor_->Resize(); });
      }
    }
  }

  ~ConsoleBackEnd() override {
    SetTerminalLineKeeper({});
    editor_.reset();
    input_.reset();
    signals_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  FrontEnd Kind() const override { return FrontEnd::Console; }

  std::unique_ptr<IDialogHost> CreateDialogHost(CDialog& dialog, const res::DialogTemplate& layout,
                                                CDialog*) override {
    return std::make_unique<ConsoleDialogHost>(dialog, layout);
  }

  int ShowMessageBox(std::string_view text, std::string_view caption,
                     MessageBoxStyle style) override {
    std::string line(caption);
    line += ": ";
    line += text;
    if (style != MessageBoxStyle::YesNoQuestion) {
      // A box that is not a question reports why the server cannot go on.
      WriteDiagnostic(platform::Severity::Error, line);
      return IDOK;
    }
    // Nobody can answer on a terminal that is busy being the server's log; the journal has no
    // reader at all to ask.
    if (!platform::IsJournal(STDERR_FILENO)) {
      WriteDiagnostic(platform::Severity::Info, line);
      WriteDiagnostic(platform::Severity::Info, std::string(caption) + ": answered Yes");
    }
    return IDYES;
  }

  // A question here is answered as soon as it is put.
  bool AnswerOpenQuestion() override { return false; }

  std::unique_ptr<PictureWindow> CreatePictureWindow(int, CDialog*) override { return nullptr; }

  bool SaveWindowImage(const CDialog&, const std::string&) override { return false; }

 private:
  std::unique_ptr<QCoreApplication> ownApp_;
  std::unique_ptr<TerminalInput> input_;
  std::unique_ptr<LineEditor> editor_;
  std::unique_ptr<StopSignals> signals_;
};

}  // namespace

void SetConsoleOptions(const ConsoleOptions& options) {
  nextOptions = options;
}

std::unique_ptr<IBackEnd> CreateConsoleBackEnd(int& argc, char** argv) {
  return std::make_unique<ConsoleBackEnd>(argc, argv, nextOptions);
}

}  // namespace vex::fw
