#include "ui/ServerDlg.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "config/ConfigPath.h"
#include "framework/Application.h"
#include "framework/Controls.h"
#include "framework/MessageBox.h"
#include "framework/StringTable.h"
#include "framework/VisibleText.h"
#include "platform/Clock.h"
#include "res/Resource.h"
#include "session/LevelControls.h"
#include "ui/FormatSpan.h"
#include "ui/GameMessages.h"
#include "ui/StatusRefresh.h"

namespace vex {

namespace {

bool OnConsoleFrontEnd() {
  return fw::AfxGetApp() != nullptr && fw::AfxGetApp()->ActiveFrontEnd() == fw::FrontEnd::Console;
}

// Steps the engine refused, with a reason of its own to tell.
bool EngineRefusal(int stringId) {
  return stringId == res::IDS_SETUP_FAILED || stringId == res::IDS_RESOURCES_FAILED ||
         stringId == res::IDS_NET_SERVICE_FAILED || stringId == res::IDS_GAME_CODE_FAILED ||
         stringId == res::IDS_MAP_FAILED;
}

}  // namespace

CServerDlg::CServerDlg(std::vector<std::string> arguments)
    : fw::CDialog(res::IDD_SERVER), arguments_(std::move(arguments)), session_(*this, handler_) {
  SetAppHandlerTarget(this);
}

CServerDlg::~CServerDlg() {
  answers_.FinishAll();
  remote_.Stop();
  session_.Stop();
  // A callback that outlives the window must find no window rather than a destroyed one.
  if (AppHandlerTarget() == this) {
    SetAppHandlerTarget(nullptr);
  }
}

bool CServerDlg::OnInitDialog() {
  SetWindowText(fw::LoadStringOrEmpty(res::IDS_CAPTION));
  CSplashWnd::AllowSplash(true);
  splash_.OpenSplash(this);
  fw::CDialog::OnInitDialog();

  display_.RunningTimeText = FormatSpan(0);
  display_.MaxPlayerCount = 0;
  display_.PlayerCount = 0;
  display_.LevelTimeText = FormatSpan(0);
  display_.LevelStartTime = platform::CalendarSeconds();
  display_.ServerStartTime = display_.LevelStartTime;

  stateImages_.Create(16, 16, 9, 1);
  for (int icon : {res::IDI_BLACK_DOT, res::IDI_RED_DOT, res::IDI_BLUE_DOT, res::IDI_GREEN_DOT,
                   res::IDI_CYAN_DOT, res::IDI_RED_RINGED, res::IDI_BLUE_RINGED,
                   res::IDI_GREEN_RINGED, res::IDI_CYAN_RINGED}) {
    stateImages_.Add(icon);
  }
  SetUpPlayerList();
  Item(res::IDC_BOOT_PLAYER).EnableWindow(false);
  Item(res::IDC_SELECT_LEVEL).EnableWindow(false);
  SetUpLevelList();
  SetIcon(res::IDI_MAIN);
  return true;
}

void CServerDlg::DoDataExchange(fw::CDataExchange& dx) {
  fw::CDialog::DoDataExchange(dx);
  dx.Text(res::IDC_SERVER_NAME, display_.ServerNameText);
  dx.Text(res::IDC_GAME_TYPE, display_.GameTypeText);
  dx.Text(res::IDC_RUNNING_TIME, display_.RunningTimeText);
  dx.Text(res::IDC_LEVEL_TIME, display_.LevelTimeText);
  dx.Text(res::IDC_PLAYERS, display_.PlayersText);
  dx.Number(res::IDC_PEAK_PLAYERS, display_.PeakPlayers);
  dx.Number(res::IDC_AVERAGE_PING, display_.AveragePing);
  // Only the game's player-added message raises the total; the control never writes it back.
  std::uint32_t totalPlayers = tracking_.TotalPlayers.load();
  dx.Number(res::IDC_TOTAL_PLAYERS, totalPlayers);
}

void CServerDlg::OnCommand(int id) {
  switch (id) {
    case res::IDC_START:
      StartServer();
      break;
    case res::IDC_SEND:
      SendCommandField();
      break;
    case res::IDC_CLEAR:
      ClearConsole();
      break;
    case res::IDC_NEXT_LEVEL:
      TellIfRefused(SendNextLevel(session_), "to go to the next level");
      break;
    case res::IDC_SELECT_LEVEL:
      SelectLevel();
      break;
    case res::IDC_BOOT_PLAYER:
      BootPlayer();
      break;
    case res::IDC_STOP_SERVER:
      OnCancel();
      break;
    default:
      fw::CDialog::OnCommand(id);
      break;
  }
}

void CServerDlg::OnNotify(int controlId, fw::Notification code) {
  if (code == fw::Notification::ItemChanged) {
    UpdateSelectionButtons(controlId);
  } else if (code == fw::Notification::DoubleClick && controlId == res::IDC_LEVEL_LIST) {
    SelectLevel();
  }
}

void CServerDlg::OnTimer(int id) {
  if (stopWaiting_) {
    ContinueStop();
    fw::CDialog::OnTimer(id);
    return;
  }
  StatusRefreshContext context{
      session_,
      tracking_,
      display_,
      Control<fw::CListCtrl>(res::IDC_PLAYER_LIST),
      Control<fw::CListCtrl>(res::IDC_LEVEL_LIST),
      [this](std::string_view line, platform::Severity severity) {
        PrintConsoleLine(line, severity);
        answers_.Line(line);
      },
      [this](QueuedLineKind mark) { answers_.Mark(mark); },
      [this] { UpdateData(false); },
      [] { return platform::CalendarSeconds(); },
  };
  const std::uint64_t framesBeforeRefresh = session_.FramesRun();
  const bool engineFailed = session_.EngineError();
  if (engineFailed) {
    service_.StopBegins(std::chrono::milliseconds(kThreadStopTimeoutMs));
  }
  const RefreshOutcome outcome = RefreshStatus(context);
  if (outcome == RefreshOutcome::EngineStopped) {
    ClearShownPlayers();
  }
  ReportEngineResponse();
  if (session_.HasThread()) {
    answers_.Settle(LinesPrinted(outcome) ? std::optional(framesBeforeRefresh) : std::nullopt,
                    platform::MillisecondClock());
  } else {
    answers_.FinishAll();
  }
  remote_.Follow();
  if (session_.Engine() != nullptr) {
    service_.Refresh(ServiceStatusText(), session_.FramesRun(), ServiceStatus::Clock::now());
  }
  // The window stays open for the operator to read the engine's reason; on the console nobody
  // may be watching. Either way a service manager must see the failure to restart the server.
  if (engineFailed && session_.Engine() == nullptr) {
    confirmOnStop_ = false;
    fatalReported_ = true;
    if (OnConsoleFrontEnd()) {
      SendCommand(fw::IDCANCEL);
    }
  }
  fw::CDialog::OnTimer(id);
}

void CServerDlg::OnShowWindow(bool show) {
  fw::CDialog::OnShowWindow(show);
  if (show && firstShowPending_) {
    firstShowPending_ = false;
    PostCommand(res::IDC_START);
  }
}

void CServerDlg::StartServer() {
  if (session_.Initialise() && session_.Start()) {
    gameHosted_ = true;
    display_.ServerStartTime = session_.StartTime();
    UpdateData(false);
    remote_.Start(arguments_);
    return;
  }
  ReportError(res::IDS_START_FAILED);
}

// Enter presses the hidden Send button; the window ends only through the cancel path.
void CServerDlg::OnOK() {}

std::string CServerDlg::ServiceStatusText() {
  std::string text = display_.ServerNameText;
  const int level = display_.HighlightedLevel;
  if (level >= 0 && level < static_cast<int>(display_.LevelNames.size())) {
    text += ", level ";
    text += display_.LevelNames[static_cast<std::size_t>(level)];
  }
  text += ", players ";
  text += display_.PlayersText.empty() ? "0" : display_.PlayersText;
  // The status keeps the last figures the engine gave; `systemctl status` must not pass them off
  // as live while a frame hangs.
  if (const std::optional<std::string> since = engineWatch_.SilentSince()) {
    text += "; the engine is not responding, it last answered at " + *since;
  }
  return text;
}

void CServerDlg::ReportError(int stringId) {
  if (EngineRefusal(stringId) && session_.Engine() != nullptr) {
    if (const std::string reason = session_.LastEngineError(); !reason.empty()) {
      PrintCause(reason);
    }
  }
  std::string text(fw::LoadStringOrEmpty(stringId));
  if (!errorCause_.empty() && !OnConsoleFrontEnd()) {
    text += "\n\n";
    text += errorCause_;
  }
  errorCause_.clear();
  LogErrorBox(text);
  fw::AfxMessageBox(text, fw::MessageBoxStyle::OkWarning);
  const auto missingFolder =
      stringId == res::IDS_NO_CONFIG || stringId == res::IDS_CONFIG_UNREADABLE
          ? MissingConfigFolder()
          : std::nullopt;
  if (missingFolder) {
    PrintConsoleLine(*missingFolder, platform::Severity::Error);
  } else if (stringId == res::IDS_NO_CONFIG && OnConsoleFrontEnd()) {
    PrintConsoleLine("Run the server with -config NAME to choose the configuration file.");
  }
  confirmOnStop_ = false;
  fatalReported_ = true;
  SendCommand(fw::IDCANCEL);
}

// The box closes the window: the log keeps what it said, as the terminal does.
void CServerDlg::LogErrorBox(std::string_view text) {
  if (consoleLog_ == nullptr) {
    return;
  }
  std::string lines(fw::AfxGetApp() != nullptr ? fw::AfxGetApp()->AppName() : std::string());
  lines += ": ";
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    if (end > at) {
      lines += fw::VisibleText(text.substr(at, end - at), fw::LineFeeds::Escape);
      lines += '\n';
    }
    at = end + 1;
  }
  consoleLog_->Append(lines);
}

// The window is gone with the display: the server stops as after a fatal report, without the
// question nobody could answer.
void CServerDlg::OnDisplayLost() {
  confirmOnStop_ = false;
  fatalReported_ = true;
  PrintConsoleLine("The display is gone; stopping the server.");
  StopSession();
}

bool CServerDlg::PreTranslateInput(fw::InputEvent event) {
  return CSplashWnd::SplashFilter(event) || fw::CDialog::PreTranslateInput(event);
}

void CServerDlg::StartRefreshTimer() {
  SetTimer(0, kRefreshIntervalMs);
}

// The session calls these two only while no frame can run (before the update thread starts and
// after it ended or was abandoned with its lock), so the brief lock never fails here.
void CServerDlg::ResetTracking() {
  display_.HighlightedLevel = -1;
  if (const SessionLockHold hold = session_.LockBriefly()) {
    tracking_.Reset();
  }
}

void CServerDlg::DropRoster() {
  if (const SessionLockHold hold = session_.LockBriefly()) {
    tracking_.Roster.Clear();
    tracking_.CurrentLevel = -1;
  }
}

void CServerDlg::HandleGameMessage(const char* data, int length) {
  ::vex::HandleGameMessage(tracking_, session_.PendingConsoleLines(), data, length,
                           platform::CalendarSeconds());
}

void CServerDlg::OnOutOfMemory() {
  // The engine may keep saying so on every frame until the stop; one report closes the window.
  if (outOfMemoryReported_.exchange(true)) {
    return;
  }
  // This runs inside an engine call, on the update thread or on the window thread holding the
  // session lock. The report's stop waits for the update thread and releases the engine, so it
  // runs once the window thread is back in its loop, and not after another fatal report.
  PostTask([this] {
    if (!fatalReported_.load()) {
      ReportError(res::IDS_OUT_OF_MEMORY);
    }
  });
}

}  // namespace vex
