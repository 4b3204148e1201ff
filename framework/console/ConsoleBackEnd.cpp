#include "framework/console/ConsoleBackEnd.h"

#include <QCoreApplication>
#include <cstdio>

#include "framework/BackEnd.h"
#include "framework/Dialog.h"
#include "framework/VisibleText.h"
#include "framework/console/ConsoleDialogHost.h"
#include "framework/console/StopSignals.h"
#include "framework/console/TerminalInput.h"
#include "platform/JournalStream.h"

namespace vex::fw {
namespace {

ConsoleOptions nextOptions;

class ConsoleBackEnd final : public IBackEnd {
 public:
  ConsoleBackEnd(int& argc, char** argv, const ConsoleOptions& options) {
    if (QCoreApplication::instance() == nullptr) {
      ownApp_ = std::make_unique<QCoreApplication>(argc, argv);
    }
    if (options.readTerminal) {
      input_ = std::make_unique<TerminalInput>(options.terminalFd, [](const std::string& line) {
        if (CDialog* dialog = TopOpenDialog()) {
          dialog->DispatchTerminalLine(line);
        }
      });
    }
    if (options.catchStopSignals) {
      // A closed terminal (an SSH session that ended) stops the server like any other stop.
      signals_ = std::make_unique<StopSignals>(
          [] {
            if (CDialog* dialog = TopOpenDialog()) {
              dialog->PostCommand(IDCANCEL);
            }
          },
          std::initializer_list<int>{SIGINT, SIGTERM, SIGHUP});
    }
  }

  ~ConsoleBackEnd() override {
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
    const std::string visible = VisibleText(text, LineFeeds::Keep);
    // A box that is not a question reports why the server cannot go on.
    const std::string_view priority = style == MessageBoxStyle::YesNoQuestion
                                          ? std::string_view{}
                                          : platform::JournalPrefix(platform::Severity::Error);
    std::fprintf(stderr, "%.*s%.*s: %s\n", static_cast<int>(priority.size()), priority.data(),
                 static_cast<int>(caption.size()), caption.data(), visible.c_str());
    if (style == MessageBoxStyle::YesNoQuestion) {
      // Nobody can answer on a terminal that is busy being the server's log.
      std::fprintf(stderr, "%.*s: answered Yes\n", static_cast<int>(caption.size()),
                   caption.data());
      return IDYES;
    }
    return IDOK;
  }

  std::unique_ptr<CSplashWindow> CreateSplash(int, CDialog*) override { return nullptr; }

  bool SaveWindowImage(const CDialog&, const std::string&) override { return false; }

 private:
  std::unique_ptr<QCoreApplication> ownApp_;
  std::unique_ptr<TerminalInput> input_;
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
