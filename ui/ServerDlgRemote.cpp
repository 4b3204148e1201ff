#include <cstdlib>
#include <cstring>
#include <string>

#include "config/RemoteOptions.h"
#include "framework/Controls.h"
#include "platform/Clock.h"
#include "res/Resource.h"
#include "ui/ServerDlg.h"

namespace vex {

namespace {

// A remote command's answer is what the console shows until the engine has run it; an engine
// that does not get to it in this time answers with what there is by then.
constexpr std::uint32_t kLongestAnswerWaitMs = 400;
constexpr std::size_t kLongestAnswer = 64 * 1024;
constexpr const char* kGameFolder = "VexMod";

std::string Number(double value) {
  return std::to_string(static_cast<long long>(value));
}

}  // namespace

remote::A2sStatus GameFactsFor(const CGameOptions& block, const std::string& gameTypeText) {
  remote::A2sStatus facts;
  facts.Folder = kGameFolder;
  facts.Version = VEX_VERSION;
  facts.Password = block.JoinPassSet != 0;
  facts.GamePort = block.PortID;
  facts.Rules = {
      {"GameType", gameTypeText},
      {"FragLimit", Number(block.FragLimit)},
      {"ScoreLimit", Number(block.ScoreLimit)},
      {"TimeLimitSeconds", Number(block.TimeLimitSeconds)},
      {"RoundLimit", Number(block.RoundLimit)},
      {"MaxPlayers", Number(block.MaxTotalPlayers)},
  };
  return facts;
}

void CServerDlg::StartRemoteServices() {
  if (remote_.Rcon || remote_.Query || remote_.Web) {
    return;
  }
  const RemoteOptions options = ParseRemoteOptions(arguments_);
  if (!options.Error.empty()) {
    PrintConsoleLine("Remote administration is off: " + options.Error + ".",
                     platform::Severity::Warning);
    return;
  }
  const std::uint16_t gamePort = remote_.GameFacts.GamePort;
  const RconPassword password = ReadRconPassword(options, std::getenv("VEX_RCON_PASSWORD"));
  if (!password.Warning.empty()) {
    PrintConsoleLine(password.Warning, platform::Severity::Warning);
  }
  StartWebPage(options, password);
  std::string error;
  if (!password.Error.empty()) {
    PrintConsoleLine(password.Error + " RCON is off.", platform::Severity::Warning);
  } else if (!password.Text.empty()) {
    fw::net::RconSettings settings;
    settings.Password = password.Text;
    settings.BindAddress = options.RconBind;
    settings.Port = options.RconPort.value_or(gamePort);
    auto service = std::make_unique<fw::net::RconService>(*this, settings);
    if (service->Start(error)) {
      PrintConsoleLine("RCON: listening on TCP port " + std::to_string(service->Port()) + ".");
      remote_.Rcon = std::move(service);
    } else {
      PrintConsoleLine(error, platform::Severity::Error);
    }
  }
  // Game port 0 lets the engine choose one, so there is no port after it; the port after 65535
  // wraps to 0. Either means no query, as the option's 0 does.
  const std::uint16_t queryPort = options.QueryPort.value_or(
      gamePort == 0 ? std::uint16_t{0} : static_cast<std::uint16_t>(gamePort + 1));
  if (queryPort == 0) {
    return;
  }
  fw::net::QuerySettings settings;
  settings.Port = queryPort;
  auto service = std::make_unique<fw::net::QueryService>(*this, settings);
  if (service->Start(error)) {
    PrintConsoleLine("Query: answering on UDP port " + std::to_string(service->Port()) + ".");
    remote_.Query = std::move(service);
  } else {
    PrintConsoleLine(error, platform::Severity::Error);
  }
}

void CServerDlg::StopRemoteServices() {
  remote_.Rcon.reset();
  remote_.Query.reset();
  remote_.Web.reset();
  remote_.Waiting.clear();
  remote_.Current.reset();
}

// The services outlive the window's controls by a little (they go with the window object);
// what reaches them then gets no answer from the controls.
void CServerDlg::RunRemoteCommand(const std::string& line, const std::string& peer,
                                  std::function<void(std::string)> done) {
  if (!IsModalLoopRunning()) {
    done("The server is stopping.\n");
    return;
  }
  remote_.Waiting.push_back({line, peer, std::move(done)});
  StartNextRemoteCommand();
}

void CServerDlg::StartNextRemoteCommand() {
  while (!remote_.Current && !remote_.Waiting.empty()) {
    RemoteAdmin::Command command = std::move(remote_.Waiting.front());
    remote_.Waiting.pop_front();
    // One packet is one command line, as one line typed at the terminal is.
    const std::string line = command.Line.substr(0, command.Line.find_first_of("\r\n"));
    PrintConsoleLine(command.Peer + ": " + line);
    remote_.Current = RemoteAdmin::Running{};
    remote_.Current->Done = std::move(command.Done);
    remote_.Current->Capture = std::make_unique<fw::TerminalCapture>(kLongestAnswer);
    remote_.Current->FramesAtStart = session_.FramesRun();
    remote_.Current->StartMs = platform::MillisecondClock();
    const std::uint64_t serial = remote_.Current->Serial = ++remote_.CommandsStarted;
    // The terminal's dispatch goes through the command field; what the operator has typed
    // there stays.
    auto& field = Item(res::IDC_COMMAND);
    const std::string typed = field.GetWindowText();
    OnTerminalLine(line);
    field.SetWindowText(typed);
    // A command may wait in a message box, where the refresh can finish it first.
    const bool stillRunning = remote_.Current && remote_.Current->Serial == serial;
    if (stillRunning && !session_.HasThread()) {
      FinishRemoteCommand();
    }
  }
}

void CServerDlg::ProgressRemoteCommand(std::uint64_t framesBeforeRefresh) {
  if (!remote_.Current) {
    return;
  }
  // The refresh that just ran printed every line of the frames counted before it.
  const bool engineRanIt = framesBeforeRefresh > remote_.Current->FramesAtStart;
  const bool late = platform::MillisecondClock() - remote_.Current->StartMs >= kLongestAnswerWaitMs;
  if (engineRanIt || late || !session_.HasThread()) {
    FinishRemoteCommand();
  }
}

void CServerDlg::FinishRemoteCommand() {
  std::function<void(std::string)> done = std::move(remote_.Current->Done);
  std::string answer = remote_.Current->Capture->Text();
  remote_.Current.reset();
  done(std::move(answer));
  StartNextRemoteCommand();
}

remote::A2sStatus CServerDlg::QueryStatus() {
  remote::A2sStatus status = remote_.GameFacts;
  if (!IsModalLoopRunning()) {
    return status;
  }
  status.Name = display_.ServerNameText;
  status.Game = display_.GameTypeText;
  status.MaxPlayers = display_.MaxPlayerCount;
  const auto& levels = Control<fw::CListCtrl>(res::IDC_LEVEL_LIST);
  if (display_.HighlightedLevel >= 0 && display_.HighlightedLevel < levels.GetItemCount()) {
    status.Map = levels.GetItemText(display_.HighlightedLevel, 0);
  }
  // Without the lock (a slow or hung frame) the query answers with the players it last saw.
  if (const SessionLockHold hold = session_.LockBriefly()) {
    const std::int64_t now = platform::CalendarSeconds();
    remote_.LastPlayers.clear();
    tracking_.Roster.ForEach([&](const CPlayerInfo& player) {
      remote_.LastPlayers.push_back(
          {std::string(player.Name, strnlen(player.Name, sizeof player.Name)), player.Score,
           static_cast<float>(std::max<std::int64_t>(0, now - player.JoinTime))});
    });
  }
  status.Players = remote_.LastPlayers;
  return status;
}

void CServerDlg::ReportRemoteEvent(std::string_view text) {
  if (IsModalLoopRunning()) {
    PrintConsoleLine(text);
  }
}

}  // namespace vex
