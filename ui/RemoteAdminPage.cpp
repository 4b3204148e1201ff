#include <cstdio>
#include <cstring>
#include <string>

#include "config/RemoteOptions.h"
#include "platform/Clock.h"
#include "remote/JsonText.h"
#include "ui/FormatSpan.h"
#include "ui/RemoteAdmin.h"

namespace vex {

namespace {

// The page follows the window about once a second: often enough to look live, rarely enough
// that a page costs the window thread next to nothing.
constexpr std::uint32_t kWebSampleMs = 1000;

void AppendField(std::string& json, const char* name, std::string_view text) {
  json += '"';
  json += name;
  json += "\":";
  remote::AppendJsonString(json, text);
}

void AppendInteger(std::string& json, const char* name, std::int64_t value) {
  json += '"';
  json += name;
  json += "\":";
  json += std::to_string(value);
}

void AppendNumber(std::string& json, const char* name, double value) {
  json += '"';
  json += name;
  json += "\":";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  json += text;
}

void AppendPlayer(std::string& json, const CPlayerInfo& player, const ShownPlayerRow& shown) {
  json += '{';
  AppendInteger(json, "id", player.ClientId);
  json += ',';
  AppendField(json, "name",
              std::string_view(player.Name, strnlen(player.Name, sizeof player.Name)));
  json += ',';
  AppendInteger(json, "ping", shown.Ping.value_or(0));
  json += ',';
  AppendInteger(json, "kills", player.Kills);
  json += ',';
  AppendInteger(json, "score", player.Score);
  json += ',';
  AppendInteger(json, "lives", player.Lives);
  json += ',';
  AppendField(json, "time", shown.Span ? FormatSpan(*shown.Span) : std::string());
  json += ',';
  AppendInteger(json, "kind", player.Kind);
  json += player.Ringed != 0 ? ",\"ringed\":true}" : ",\"ringed\":false}";
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
  settings.SharedBans = bans_;
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
  std::string json = "{\"server\":{";
  AppendField(json, "name", display.ServerNameText);
  json += ',';
  AppendField(json, "gameType", display.GameTypeText);
  json += ',';
  AppendField(json, "runningTime", display.RunningTimeText);
  json += ',';
  AppendField(json, "levelTime", display.LevelTimeText);
  json += ',';
  AppendField(json, "playersText", display.PlayersText);
  json += ",\"peakPlayers\":" + std::to_string(display.PeakPlayers);
  json += ",\"totalPlayers\":" + std::to_string(window_.TotalPlayers());
  json += ",\"averagePing\":" + std::to_string(display.AveragePing);
  json += "},\"players\":[";
  for (std::size_t row = 0; row < display.Players.size(); ++row) {
    json += row == 0 ? "" : ",";
    AppendPlayer(json, display.Players[row],
                 row < display.ShownRows.size() ? display.ShownRows[row] : ShownPlayerRow{});
  }
  json += "],\"levels\":[";
  for (std::size_t row = 0; row < display.LevelNames.size(); ++row) {
    json += row == 0 ? "{" : ",{";
    AppendField(json, "name", display.LevelNames[row]);
    json += static_cast<int>(row) == display.HighlightedLevel ? ",\"current\":true}"
                                                              : ",\"current\":false}";
  }
  json += "],\"plots\":[";
  bool first = true;
  for (const remote::PlotHistory::Minute& minute : plots_.Minutes()) {
    json += first ? "{" : ",{";
    first = false;
    json += "\"minute\":" + std::to_string(minute.Index);
    json += ",\"players\":" + std::to_string(minute.Players);
    json += ',';
    AppendNumber(
        json, "fps",
        static_cast<double>(minute.Frames) * 1000.0 / static_cast<double>(minute.CoveredMs));
    json += ',';
    AppendNumber(json, "slowestMs", minute.SlowestFrameUs / 1000.0);
    json += '}';
  }
  json += "]}";
  return json;
}

}  // namespace vex
