#include <cstdio>
#include <string>

#include "framework/Controls.h"
#include "platform/Clock.h"
#include "remote/JsonText.h"
#include "res/Resource.h"
#include "ui/ServerDlg.h"
#include "ui/StatusRefresh.h"

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

void AppendNumber(std::string& json, const char* name, double value) {
  json += '"';
  json += name;
  json += "\":";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  json += text;
}

}  // namespace

void CServerDlg::StartWebPage(const RemoteOptions& options, const RconPassword& password) {
  if (options.WebPort == 0 || remote_.Web) {
    return;
  }
  if (password.Text.empty()) {
    PrintConsoleLine(
        "Web page: off, it needs the remote console's password (-rconpassword-file FILE or "
        "VEX_RCON_PASSWORD).",
        platform::Severity::Warning);
    return;
  }
  fw::web::WebSettings settings;
  settings.Password = password.Text;
  settings.BindAddress = options.WebBind;
  settings.Port = options.WebPort;
  auto service = std::make_unique<fw::web::WebService>(*this, settings);
  std::string error;
  if (!service->Start(error)) {
    PrintConsoleLine(error, platform::Severity::Error);
    return;
  }
  PrintConsoleLine("Web page: http://" + options.WebBind + ":" + std::to_string(service->Port()) +
                   "/");
  remote_.Web = std::move(service);
  remote_.WebSampleMs = platform::MillisecondClock();
  remote_.WebSampleFrames = session_.FramesRun();
}

void CServerDlg::FollowWebPage() {
  if (!remote_.Web) {
    return;
  }
  const std::uint32_t now = platform::MillisecondClock();
  const std::uint32_t elapsed = now - remote_.WebSampleMs;
  if (elapsed < kWebSampleMs) {
    return;
  }
  const std::uint64_t frames = session_.FramesRun();
  remote_.Plots.Record(platform::CalendarSeconds(), display_.PlayerCount,
                       frames - remote_.WebSampleFrames, session_.TakeSlowestFrameUs(), elapsed);
  remote_.WebSampleMs = now;
  remote_.WebSampleFrames = frames;
  remote_.Web->PublishState();
}

std::string CServerDlg::WebStateJson() {
  std::string json = "{\"server\":{";
  AppendField(json, "name", display_.ServerNameText);
  json += ',';
  AppendField(json, "gameType", display_.GameTypeText);
  json += ',';
  AppendField(json, "runningTime", display_.RunningTimeText);
  json += ',';
  AppendField(json, "levelTime", display_.LevelTimeText);
  json += ',';
  AppendField(json, "playersText", display_.PlayersText);
  json += ",\"peakPlayers\":" + std::to_string(display_.PeakPlayers);
  json += ",\"totalPlayers\":" + std::to_string(tracking_.TotalPlayers.load());
  json += ",\"averagePing\":" + std::to_string(display_.AveragePing);
  json += "},\"players\":[";
  // The lists as the window shows them, state icons included.
  const auto& players = Control<fw::CListCtrl>(res::IDC_PLAYER_LIST);
  for (int row = 0; row < players.GetItemCount(); ++row) {
    json += row == 0 ? "{" : ",{";
    json += "\"id\":" + std::to_string(players.GetItemData(row));
    json += ",\"state\":" + std::to_string(players.GetStateImage(row));
    const std::pair<const char*, int> cells[] = {{"name", kNameColumn},   {"ping", kPingColumn},
                                                 {"kills", kKillsColumn}, {"score", kScoreColumn},
                                                 {"lives", kLivesColumn}, {"time", kTimeColumn}};
    for (const auto& [name, column] : cells) {
      json += ',';
      AppendField(json, name, players.GetItemText(row, column));
    }
    json += '}';
  }
  json += "],\"levels\":[";
  const auto& levels = Control<fw::CListCtrl>(res::IDC_LEVEL_LIST);
  for (int row = 0; row < levels.GetItemCount(); ++row) {
    json += row == 0 ? "{" : ",{";
    AppendField(json, "name", levels.GetItemText(row, 0));
    json += levels.GetStateImage(row) == kCurrentLevelImage ? ",\"current\":true}"
                                                            : ",\"current\":false}";
  }
  json += "],\"plots\":[";
  bool first = true;
  for (const remote::PlotHistory::Minute& minute : remote_.Plots.Minutes()) {
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
