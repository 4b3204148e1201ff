#pragma once

#include <array>
#include <atomic>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/GameServerAppHandler.h"
#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "platform/JournalStream.h"
#include "platform/LogFile.h"
#include "session/LevelControls.h"
#include "session/ServerSession.h"
#include "ui/AdminWindow.h"
#include "ui/CommandOrigin.h"
#include "ui/ConsoleCommandAnswers.h"
#include "ui/EngineResponseWatch.h"
#include "ui/GameTracking.h"
#include "ui/RemoteAdmin.h"
#include "ui/ServiceStatus.h"
#include "ui/SplashWnd.h"
#include "ui/StatusDisplay.h"
#include "ui/TerminalCommand.h"

namespace vex {

// Pixel widths of the player list's six columns for a list whose outer rectangle is this wide.
std::array<int, 6> PlayerColumnWidths(int outerWidth);

// The one status window: owns the server session and shows its state; the engine's callbacks
// reach it through the process-wide handler target.
class CServerDlg : public fw::CDialog,
                   public ISessionHost,
                   public IAppHandlerTarget,
                   public IAdminWindow {
 public:
  // The process's argument vector, argv[0] included.
  explicit CServerDlg(std::vector<std::string> arguments);
  ~CServerDlg() override;

  // Appends one line to the console; the text is data, never a format. The terminal shows an
  // error or a warning as one (its colour, its journal priority).
  void PrintConsoleLine(std::string_view text,
                        platform::Severity severity = platform::Severity::Info) override;
  // The same for an operator's own command: the flag, never the text, sets it apart on the
  // terminal and the web page.
  void PrintOperatorLine(std::string_view text);

  // The one way in for a command line, whoever typed it. A line from the window's command field
  // goes to the game's console; from the terminal or a remote client, a line starting with '/'
  // is one of the server's own commands. `answer` (remote clients) gets what the command
  // printed: a server command's at once, a game command's once the engine has run it.
  void RunLine(std::string_view line, const CommandOrigin& origin, CommandAnswer answer) override;

  // The process ends with 1 after a fatal report or an engine error, 2 after an ordinary stop.
  bool FatalReported() const { return fatalReported_.load(); }
  // "Server initialized." was written and "Server stopped." not yet. Safe from any thread.
  bool StoppedLineOwed() const { return stoppedLineOwed_.load(); }
  // The game was hosted once: a fatal report before that is a start that failed.
  bool GameHosted() const { return gameHosted_; }
  // A second stop signal ended the window while its stop still waited for the engine.
  bool StoppedWithoutWaiting() const { return stoppedWithoutWaiting_; }

  // Every console line also goes to this log (none by default); it must outlive the window.
  void SetConsoleLog(platform::LogFile* log) { consoleLog_ = log; }

  CServerSession& Session() { return session_; }
  GameTracking& Tracking() { return tracking_; }
  const StatusDisplay& Display() const override { return display_; }

  // The rows reach the window's private handlers, so the window defines them.
  static std::span<const TerminalCommand> TerminalCommands();

  // ISessionHost
  void PrintConsoleLineById(int stringId) override;
  void PrintConsoleText(std::string_view text) override;
  void PrintConsoleDiagnostic(platform::Severity severity, std::string_view text) override;
  void ReportError(int stringId) override;
  int SetUpGameHost(IServerEngine& engine) override;
  void StartRefreshTimer() override;
  void ResetTracking() override;
  void DropRoster() override;

  // IAppHandlerTarget
  void HandleGameMessage(const char* data, int length) override;
  void OnConsoleOutput(const char* text) override;
  void OnOutOfMemory() override;
  void OnConsoleCommandMark(bool start) override;

  // IAdminWindow
  void Later(std::function<void()> task) override { PostTask(std::move(task)); }
  bool Serving() const override { return IsModalLoopRunning(); }
  std::uint32_t TotalPlayers() const override { return tracking_.TotalPlayers.load(); }
  std::uint64_t FramesRun() const override { return session_.FramesRun(); }
  std::uint32_t TakeSlowestFrameUs() override { return session_.TakeSlowestFrameUs(); }
  const FrameTimings& Timings() const override { return session_.Timings(); }
  bool EngineRunning() const override { return session_.HasThread() && !session_.EngineError(); }
  std::optional<std::uint64_t> DroppedDatagrams() const override {
    return handler_.DroppedDatagrams();
  }

 protected:
  bool OnInitDialog() override;
  void OnCommand(int id) override;
  void OnNotify(int controlId, fw::Notification code) override;
  void OnTimer(int id) override;
  void OnShowWindow(bool show) override;
  void OnSize(int width, int height) override;
  void OnOK() override;
  void OnCancel() override;
  bool PreTranslateInput(fw::InputEvent event) override;
  void DoDataExchange(fw::CDataExchange& dx) override;
  void OnTerminalLine(const std::string& line) override;
  bool TakeTerminalLine(const std::string& line) override;
  std::vector<std::string> CompleteTerminalWord(std::string_view before,
                                                std::string_view word) override;
  void OnDisplayLost() override;
  void OnStopSignal() override;

 private:
  void StartServer();
  // The cancel path's stop: the wait for the update thread runs in the event loop.
  void BeginStop();
  void ContinueStop();
  void FinishStop();
  void EndWithoutWaiting();
  void SayStoppedIfOwed();
  // Remote commands that came while the stop ran are answered before the services close.
  void AnswerRemoteAtStop();
  // After an engine error the window stays open with no game: no player or ping stays shown.
  void ClearShownPlayers();
  // The whole stop at once, for when the window cannot go on (the display is gone).
  void StopSession();
  void ReportEngineResponse();
  void LearnEngineCommands(std::string_view line);
  std::string ServiceStatusText();
  void SendCommandField();
  void ClearConsole();
  void BootPlayer();
  void SelectLevel();
  void TellIfRefused(const EngineDelivery& delivery, std::string_view action);
  void UpdateSelectionButtons(int listId);
  void SetUpPlayerList();
  void FitPlayerColumns();
  void SetUpLevelList();
  // The console says why a start step failed; the error box that follows says it too.
  void PrintCause(const std::string& cause);
  void LogErrorBox(std::string_view text);
  void FillLevelList(const std::vector<std::string>& levelNames);

  void PrintLine(std::string_view text, bool operatorLine);
  void RunGameCommand(std::string_view line, const CommandOrigin& origin, CommandAnswer answer);
  // The console's copy of a command as it went to the game, marked as the operator's.
  void EchoCommand(std::string_view command, const CommandOrigin& origin);
  // What the operator is told about a message that did not reach the game code (`refused` names
  // it: "the command"); nothing when it went, or when the piped line that asked for it is held
  // to be run again.
  std::optional<std::string> NotCarriedOut(const EngineDelivery& delivery, std::string_view refused,
                                           std::uint64_t framesBefore);
  std::string RunServerCommand(std::string_view line, const CommandOrigin& origin);
  bool KickPlayer(std::int32_t clientId, std::string& engineOutput);

  std::string PlayersText() const;
  std::string LevelsText() const;
  std::string StatusText() const;
  std::string BootById(std::string_view argument, const CommandOrigin& origin);
  std::string SelectLevelByRow(std::string_view argument);
  std::string NextLevel();
  std::string StopOnRequest(const CommandOrigin& origin);

  std::vector<std::string> arguments_;
  CGameServerAppHandler handler_;
  GameTracking tracking_;
  StatusDisplay display_;
  CSplashWnd splash_;
  fw::CImageList stateImages_;
  ServiceStatus service_;
  platform::LogFile* consoleLog_ = nullptr;
  std::vector<std::string> engineCommands_;  // for Tab, from the engine's help
  std::string errorCause_;                   // what the next error box adds to its text, by line
  bool firstShowPending_ = true;
  bool gameHosted_ = false;
  std::atomic<bool> confirmOnStop_{true};
  std::atomic<bool> fatalReported_{false};
  std::atomic<bool> outOfMemoryReported_{false};
  std::atomic<bool> stoppedLineOwed_{false};
  bool stopRequested_ = false;
  bool stopWaiting_ = false;
  bool stoppedWithoutWaiting_ = false;
  EngineResponseWatch engineWatch_;
  ConsoleCommandAnswers answers_;
  // A piped line the engine refused waits with the reader until a frame after this one.
  std::optional<std::uint64_t> heldAtFrame_;
  std::uint32_t heldSinceMs_ = 0;
  bool mayHoldLine_ = false;                      // the line being run may be held once
  std::optional<std::uint64_t> lineHeldAtFrame_;  // ... and the engine refused it
  RemoteAdmin remote_{*this};
  // Declared last, so destroyed first: its destructor's stop still reaches the roster and the
  // other members above through the host callbacks.
  CServerSession session_;
};

}  // namespace vex
