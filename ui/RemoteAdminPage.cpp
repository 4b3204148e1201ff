#include <cstring>
#include <string>

#include "config/RemoteOptions.h"
#include "platform/Clock.h"
#include "remote/JsonWriter.h"
#include "ui/FormatSpan.h"
#include "ui/RemoteAdmin.h"

namespace vex {

namespace {

// The page follows the window about once a second: often enough to look live, rarely enough
// that a page costs the window thread next to nothing.
constexpr std::uint32_t kWebSampleMs = 1000;

void WritePlayer(remote::JsonWriter& json, const CPlayerInfo& player, const ShownPlayerRow& shown) {
  json.BeginObject();
  json.Key("id").Integer(player.ClientId);
  json.Key("name").String(std::string_view(player.Name, strnlen(player.Name, sizeof player.Name)));
  json.Key("ping").Integer(shown.Ping.value_or(0));
  json.Key("kills").Integer(player.Kills);
  json.Key("score").Integer(player.Score);
  json.Key("lives").Integer(player.Lives);
  json.Key("time").String(shown.Span ? FormatSpan(*shown.Span) : std::string());
  json.Key("kind").Integer(player.Kind);
  json.Key("ringed").Bool(player.Ringed != 0);
  json.EndObject();
}

}  // namespace

void RemoteAdmin::StartWebPage(const RemoteOptions& options, const RconPassword& password) {
  if (options.WebPort == 0 || web_) {
    return;
  }
  if (password.Text.empty()) {
    window_.PrintConsoleLine(
        "Web page: off, it needs the remote console's password (-rconpassword-file FILE or "
        "VEX_RCON_PASSWORD).",
        platform::Severity::Warning);
    return;
  }
  services::WebSettings settings;
  settings.Password = password.Text;
  settings.BindAddress = options.WebBind;
  settings.Port = options.WebPort;
  settings.Gate = passwordGate_;
  settings.HostNames = options.WebHostNames;
  auto service = std::make_unique<services::WebService>(*this, settings);
  std::string error;
  if (!service->Start(error)) {
    window_.PrintConsoleLine(error, platform::Severity::Error);
    return;
  }
  window_.PrintConsoleLine("Web page: http://" + options.WebBind + ":" +
                           std::to_string(service->Port()) + "/");
  web_ = std::move(service);
  sampleMs_ = platform::MillisecondClock();
  sampleFrames_ = window_.FramesRun();
}

void RemoteAdmin::ConsoleLine(std::string_view line, bool operatorLine) {
  if (web_) {
    web_->ConsoleLine(line, operatorLine);
  }
}

void RemoteAdmin::Follow() {
  if (!web_) {
    return;
  }
  const std::uint32_t now = platform::MillisecondClock();
  const std::uint32_t elapsed = now - sampleMs_;
  if (elapsed < kWebSampleMs) {
    return;
  }
  const std::uint64_t frames = window_.FramesRun();
  plots_.Record(platform::CalendarSeconds(), window_.Display().PlayerCount, frames - sampleFrames_,
                window_.TakeSlowestFrameUs(), elapsed);
  sampleMs_ = now;
  sampleFrames_ = frames;
  web_->PublishState();
}

std::string RemoteAdmin::WebStateJson() {
  const StatusDisplay& display = window_.Display();
  remote::JsonWriter json;
  json.BeginObject().Key("server").BeginObject();
  json.Key("name").String(display.ServerNameText);
  json.Key("gameType").String(display.GameTypeText);
  json.Key("runningTime").String(display.RunningTimeText);
  json.Key("levelTime").String(display.LevelTimeText);
  json.Key("playersText").String(display.PlayersText);
  json.Key("peakPlayers").Integer(display.PeakPlayers);
  json.Key("totalPlayers").Integer(window_.TotalPlayers());
  json.Key("averagePing").Integer(display.AveragePing);
  json.EndObject();

  json.Key("players").BeginArray();
  for (std::size_t row = 0; row < display.Players.size(); ++row) {
    WritePlayer(json, display.Players[row],
                row < display.ShownRows.size() ? display.ShownRows[row] : ShownPlayerRow{});
  }
  json.EndArray();

  json.Key("levels").BeginArray();
  for (std::size_t row = 0; row < display.LevelNames.size(); ++row) {
    json.BeginObject();
    json.Key("name").String(display.LevelNames[row]);
    json.Key("current").Bool(static_cast<int>(row) == display.HighlightedLevel);
    json.EndObject();
  }
  json.EndArray();

  json.Key("plots").BeginArray();
  for (const remote::PlotHistory::Minute& minute : plots_.Minutes()) {
    json.BeginObject();
    json.Key("minute").Integer(minute.Index);
    json.Key("players").Integer(minute.Players);
    json.Key("fps").Number(
        static_cast<double>(minute.Frames) * 1000.0 / static_cast<double>(minute.CoveredMs), 1);
    json.Key("slowestMs").Number(minute.SlowestFrameUs / 1000.0, 1);
    json.EndObject();
  }
  json.EndArray();
  return json.EndObject().Take();
}

}  // namespace vex
