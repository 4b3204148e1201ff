#include "ui/RemoteAdmin.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "config/RemoteOptions.h"
#include "platform/Clock.h"

namespace vex {

namespace {

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

RemoteAdmin::RemoteAdmin(IAdminWindow& window) : window_(window) {}

RemoteAdmin::~RemoteAdmin() {
  Stop();
}

void RemoteAdmin::Start(const std::vector<std::string>& arguments) {
  if (rcon_ || query_ || web_ || metrics_) {
    return;
  }
  const RemoteOptions options = ParseRemoteOptions(arguments);
  if (!options.Error.empty()) {
    window_.PrintConsoleLine("Remote administration is off: " + options.Error + ".",
                             platform::Severity::Warning);
    return;
  }
  const RconPassword password = ReadRconPassword(options, std::getenv("VEX_RCON_PASSWORD"));
  if (!password.Warning.empty()) {
    window_.PrintConsoleLine(password.Warning, platform::Severity::Warning);
  }
  StartWebPage(options, password);
  StartRcon(options, password);
  StartQuery(options);
  StartMetrics(options);
}

void RemoteAdmin::StartRcon(const RemoteOptions& options, const RconPassword& password) {
  if (!password.Error.empty()) {
    window_.PrintConsoleLine(password.Error + " RCON is off.", platform::Severity::Warning);
    return;
  }
  if (password.Text.empty()) {
    return;
  }
  services::RconSettings settings;
  settings.Password = password.Text;
  settings.BindAddress = options.RconBind;
  settings.Port = options.RconPort.value_or(gameFacts_.GamePort);
  settings.Gate = passwordGate_;
  if (options.RconIdleSeconds) {
    settings.IdleTimeoutMs = *options.RconIdleSeconds * 1000;
  }
  auto service = std::make_unique<services::RconService>(*this, settings);
  std::string error;
  if (!service->Start(error)) {
    window_.PrintConsoleLine(error, platform::Severity::Error);
    return;
  }
  window_.PrintConsoleLine("RCON: listening on TCP port " + std::to_string(service->Port()) + ".");
  rcon_ = std::move(service);
}

void RemoteAdmin::StartQuery(const RemoteOptions& options) {
  // Game port 0 lets the engine choose one, so there is no port after it; the port after 65535
  // wraps to 0. Either means no query, as the option's 0 does.
  const std::uint16_t gamePort = gameFacts_.GamePort;
  const std::uint16_t queryPort = options.QueryPort.value_or(
      gamePort == 0 ? std::uint16_t{0} : static_cast<std::uint16_t>(gamePort + 1));
  if (queryPort == 0) {
    return;
  }
  services::QuerySettings settings;
  settings.Port = queryPort;
  auto service = std::make_unique<services::QueryService>(*this, settings);
  std::string error;
  if (!service->Start(error)) {
    window_.PrintConsoleLine(error, platform::Severity::Error);
    return;
  }
  window_.PrintConsoleLine("Query: answering on UDP port " + std::to_string(service->Port()) + ".");
  query_ = std::move(service);
}

void RemoteAdmin::Stop() {
  for (Command& command : std::exchange(waiting_, {})) {
    command.Done({"The server is stopping.\n", false});
  }
  rcon_.reset();
  query_.reset();
  web_.reset();
  metrics_.reset();
}

// The services call this from their sockets' handlers: the command waits for the event loop, so
// that whatever it does (a stop that waits for the engine, a connection that closes meanwhile)
// happens outside those handlers.
void RemoteAdmin::RunRemoteCommand(const std::string& line, const std::string& peer,
                                   std::function<void(remote::CommandOutput)> done) {
  waiting_.push_back({line, peer, std::move(done)});
  if (runPosted_) {
    return;
  }
  runPosted_ = true;
  window_.Later([alive = std::weak_ptr<RemoteAdmin*>(self_)] {
    if (const auto self = alive.lock()) {
      (*self)->RunWaiting();
    }
  });
}

void RemoteAdmin::RunWaiting() {
  runPosted_ = false;
  while (!waiting_.empty()) {
    Command command = std::move(waiting_.front());
    waiting_.pop_front();
    if (!window_.Serving()) {
      command.Done({"The server is stopping.\n", false});
      continue;
    }
    window_.RunLine(command.Line, {CommandSource::Remote, command.Peer}, std::move(command.Done));
  }
}

void RemoteAdmin::RunAllSent() {
  if (rcon_) {
    rcon_->ReadNow();
  }
  RunWaiting();
}

remote::A2sStatus RemoteAdmin::QueryStatus() {
  remote::A2sStatus status = gameFacts_;
  if (!window_.Serving()) {
    return status;
  }
  const StatusDisplay& display = window_.Display();
  status.Name = display.ServerNameText;
  status.Game = display.GameTypeText;
  status.MaxPlayers = display.MaxPlayerCount;
  const int level = display.HighlightedLevel;
  if (level >= 0 && level < static_cast<int>(display.LevelNames.size())) {
    status.Map = display.LevelNames[static_cast<std::size_t>(level)];
  }
  const std::int64_t now = platform::CalendarSeconds();
  for (const CPlayerInfo& player : display.Players) {
    status.Players.push_back(
        {std::string(player.Name, strnlen(player.Name, sizeof player.Name)), player.Score,
         static_cast<float>(std::max<std::int64_t>(0, now - player.JoinTime)), player.Bot});
  }
  return status;
}

void RemoteAdmin::ReportRemoteEvent(std::string_view text) {
  if (window_.Serving()) {
    window_.PrintConsoleLine(text);
  }
}

}  // namespace vex
