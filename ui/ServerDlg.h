#pragma once

#include <array>
#include <atomic>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/RemoteOptions.h"
#include "engine/GameServerAppHandler.h"
#include "framework/Dialog.h"
#include "framework/ImageList.h"
#include "framework/web/WebHost.h"
#include "platform/JournalStream.h"
#include "platform/LogFile.h"
#include "session/ServerSession.h"
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
                   public fw::web::IWebHost {
 public:
  // The process's argument vector, argv[0] included.
  explicit CServerDlg(std::vector<std::string> arguments);
  ~CServerDlg() override;

  // Appends one line to the console; the text is data, never a format. The terminal shows an
  // error or a warning as one (its colour, its journal priority).
  void PrintConsoleLine(std::string_view text,
                        platform::Severity severity = platform::Severity::Info);

  // The process ends with 1 after a fatal report (on the console front-end also after an engine
  // error), 2 after an ordinary stop.
  bool FatalReported() const { return fatalReported_.load(); }

  // Every console line also goes to this log (none by default); it must outlive the window.
  void SetConsoleLog(platform::LogFile* log) { consoleLog_ = log; }

  CServerSession& Session() { return session_; }
  GameTracking& Tracking() { return tracking_; }
  const StatusDisplay& Display() const { return display_; }

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

  // fw::net::IRemoteHost
  void RunRemoteCommand(const std::string& line, const std::string& peer,
                        std::function<void(std::string)> done) override;
  remote::A2sStatus QueryStatus() override;
  void ReportRemoteEvent(std::string_view text) override;

  // fw::web::IWebHost
  std::string WebStateJson() override;

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
  std::vector<std::string> CompleteTerminalWord(std::string_view before,
                                                std::string_view word) override;
  void OnDisplayLost() override;

 private:
  void StartServer();
  void StopSession();
  void LearnEngineCommands(std::string_view line);
  std::string ServiceStatusText();
  void SendCommandField();
  void ClearConsole();
  void BootPlayer();
  void SelectLevel();
  void UpdateSelectionButtons(int listId);
  void SetUpPlayerList();
  void FitPlayerColumns();
  void SetUpLevelList();
  void FillLevelList(const std::vector<std::string>& levelNames);

  void PrintPlayers();
  void PrintLevels();
  void PrintStatus();
  void BootById(std::string_view argument);
  void SelectLevelByRow(std::string_view argument);

  void StartRemoteServices();
  void StopRemoteServices();
  void StartNextRemoteCommand();
  void ProgressRemoteCommand(std::uint64_t framesBeforeRefresh);
  void FinishRemoteCommand();
  void StartWebPage(const RemoteOptions& options, const RconPassword& password);
  // Samples the plots and pushes the state to the open pages, about once a second.
  void FollowWebPage();

  std::vector<std::string> arguments_;
  CGameServerAppHandler handler_;
  GameTracking tracking_;
  StatusDisplay display_;
  CSplashWnd splash_;
  fw::CImageList stateImages_;
  ServiceStatus service_;
  platform::LogFile* consoleLog_ = nullptr;
  std::vector<std::string> engineCommands_;  // for Tab, from the engine's help
  bool engineHelpAsked_ = false;
  bool firstShowPending_ = true;
  std::atomic<bool> confirmOnStop_{true};
  std::atomic<bool> fatalReported_{false};
  std::atomic<bool> outOfMemoryReported_{false};
  RemoteAdmin remote_;
  // Declared last, so destroyed first: its destructor's stop still reaches the roster and the
  // other members above through the host callbacks.
  CServerSession session_;
};

}  // namespace vex
