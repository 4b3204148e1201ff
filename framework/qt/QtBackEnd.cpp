#include "framework/qt/QtBackEnd.h"

#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>

#include "framework/Application.h"
#include "framework/BackEnd.h"
#include "framework/Dialog.h"
#include "framework/TerminalStyle.h"
#include "framework/console/StopSignals.h"
#include "framework/qt/DisplayLoss.h"
#include "framework/qt/QtDialogHost.h"
#include "framework/qt/QtPictureWindow.h"
#include "framework/qt/QtResources.h"
#include "framework/qt/QtWnd.h"

namespace vex::fw {
namespace {

// Offers every key press and mouse-button press to the open dialog before any widget sees it.
// Input reaches a top-level QWindow once before Qt hands it to the widgets, so that is where it
// is offered: once per press.
class InputFilter final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWindowType()) {
      return false;
    }
    std::optional<InputEvent> input;
    switch (event->type()) {
      case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool system = (key->modifiers() & Qt::AltModifier) || key->key() == Qt::Key_F10;
        input = system ? InputEvent::SysKeyDown : InputEvent::KeyDown;
        break;
      }
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        input = InputEvent::MouseDown;
        break;
      case QEvent::NonClientAreaMouseButtonPress:
      case QEvent::NonClientAreaMouseButtonDblClick:
        input = InputEvent::NonClientMouseDown;
        break;
      default:
        return false;
    }
    CDialog* dialog = TopOpenDialog();
    return dialog != nullptr && dialog->DispatchInput(*input);
  }
};

class QtBackEnd final : public IBackEnd {
 public:
  QtBackEnd(int& argc, char** argv) {
    if (QCoreApplication::instance() == nullptr) {
      ownApp_ = std::make_unique<QApplication>(argc, argv);
    }
    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(&filter_);
    displayLoss_ = std::make_unique<DisplayLossWatch>([this] { OnDisplayLost(); });
    // A closed terminal that started the window stops it as the console front-end stops.
    stopSignals_ = std::make_unique<StopSignals>(
        [this] { OnStopSignal(); }, std::initializer_list<int>{SIGINT, SIGTERM, SIGHUP});
    stopSignals_->WhenUntaken([](int received) {
      if (CWinApp* app = AfxGetApp()) {
        app->OnStopSignalUntaken(received);
      }
    });
    stopSignals_->Repeat(SIGUSR1, [] {
      if (CWinApp* app = AfxGetApp()) {
        app->OnReopenSignal();
      }
    });
  }

  ~QtBackEnd() override {
    stopSignals_.reset();
    displayLoss_.reset();
    qApp->removeEventFilter(&filter_);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  FrontEnd Kind() const override { return FrontEnd::Window; }

  std::unique_ptr<IDialogHost> CreateDialogHost(CDialog& dialog, const res::DialogTemplate& layout,
                                                CDialog* owner) override {
    return std::make_unique<QtDialogHost>(dialog, layout, QtDialogHost::WindowOf(owner));
  }

  int ShowMessageBox(std::string_view text, std::string_view caption,
                     MessageBoxStyle style) override {
    const bool question = style == MessageBoxStyle::YesNoQuestion;
    if (unattended_ || DisplayLost()) {
      return AnswerOnStandardError(text, caption, question);
    }
    QWidget* owner = QtDialogHost::WindowOf(TopOpenDialog());
    QtDialogHost::AwaitPlacement(owner);
    QMessageBox box(question ? QMessageBox::Question : QMessageBox::Warning, ToQt(caption),
                    ToQt(text), question ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok,
                    owner);
    QtDialogHost::CentreWhenShown(box, box.parentWidget());
    box.setTextFormat(Qt::PlainText);
    openBox_ = &box;
    const int answer = box.exec();
    openBox_ = nullptr;
    if (!question) {
      return IDOK;
    }
    return answer == QMessageBox::Yes ? IDYES : IDNO;
  }

  bool AnswerOpenQuestion() override {
    if (openBox_ == nullptr || openBox_->icon() != QMessageBox::Question) {
      return false;
    }
    openBox_->done(QMessageBox::Yes);
    return true;
  }

  std::unique_ptr<PictureWindow> CreatePictureWindow(int bitmapId, CDialog* owner) override {
    QImage picture = PictureFromResource(bitmapId);
    if (picture.isNull()) {
      return nullptr;
    }
    return std::make_unique<QtPictureWindow>(std::move(picture), QtDialogHost::WindowOf(owner));
  }

  bool SaveWindowImage(const CDialog& dialog, const std::string& pngPath) override {
    QWidget* window = QtDialogHost::WindowOf(&dialog);
    return window != nullptr && window->grab().save(QString::fromStdString(pngPath), "PNG");
  }

 private:
  // As in the console front-end, a stop signal asks nothing: the stop runs as the operator's
  // would, and a question already open counts as answered yes.
  void OnStopSignal() {
    unattended_ = true;
    if (openBox_ != nullptr) {
      openBox_->done(QMessageBox::Yes);
    } else if (CDialog* dialog = TopOpenDialog()) {
      dialog->PostTask([dialog] { dialog->DispatchStopSignal(); });
    }
  }

  void OnDisplayLost() {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
      return;
    }
    if (app->MainWindow() != nullptr) {
      app->MainWindow()->DispatchDisplayLost();
    }
    app->OnAbruptEnd();
  }

  // Nobody is at the window to read or answer a box: it goes to standard error, as the console
  // front-end's do, and a question is answered yes.
  static int AnswerOnStandardError(std::string_view text, std::string_view caption, bool question) {
    const std::string line = std::string(caption) + ": " + std::string(text);
    if (!question) {
      WriteDiagnostic(platform::Severity::Error, line);
      return IDOK;
    }
    // The journal has no reader to show the question to.
    if (!platform::IsJournal(STDERR_FILENO)) {
      WriteDiagnostic(platform::Severity::Info, line);
      WriteDiagnostic(platform::Severity::Info, std::string(caption) + ": answered Yes");
    }
    return IDYES;
  }

  std::unique_ptr<QApplication> ownApp_;
  InputFilter filter_;
  std::unique_ptr<DisplayLossWatch> displayLoss_;
  std::unique_ptr<StopSignals> stopSignals_;
  bool unattended_ = false;
  QMessageBox* openBox_ = nullptr;
};

}  // namespace

std::unique_ptr<IBackEnd> CreateQtBackEnd(int& argc, char** argv) {
  return std::make_unique<QtBackEnd>(argc, argv);
}

}  // namespace vex::fw
