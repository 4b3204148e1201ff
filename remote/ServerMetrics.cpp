#include "remote/ServerMetrics.h"

namespace vex::remote {

namespace {

double Number(std::uint64_t value) {
  return static_cast<double>(value);
}

void WriteSignIns(MetricsExposition& out, const ServerMetrics& server) {
  constexpr const char* kName = "vexserver_sign_ins_total";
  out.Family(kName, "Sign-ins to the remote console, the web page and the metrics, by result.",
             MetricType::Counter);
  const struct {
    const char* Service;
    const SignInCounts& Counts;
  } services[] = {
      {"rcon", server.RconSignIns}, {"web", server.WebSignIns}, {"metrics", server.MetricsSignIns}};
  for (const auto& [service, counts] : services) {
    out.Sample(kName, Number(counts.Succeeded), {{"service", service}, {"result", "succeeded"}});
    out.Sample(kName, Number(counts.Failed), {{"service", service}, {"result", "failed"}});
  }
}

}  // namespace

std::string MetricsText(const ServerMetrics& server, const std::optional<ProcessStats>& process) {
  MetricsExposition out;
  out.Gauge("vexserver_players", "Players on the server now.", Number(server.Players));
  out.Gauge("vexserver_players_peak", "Most players on the server at once since it started.",
            Number(server.PeakPlayers));
  out.Counter("vexserver_players_joined_total", "Players who joined since the server started.",
              Number(server.PlayersJoined));
  out.Counter("vexserver_frames_total", "Engine frames run.", Number(server.Frames));
  out.Histogram("vexserver_frame_duration_seconds", "Time the engine took for one frame.",
                server.FrameDurations);
  out.Histogram("vexserver_frame_start_lateness_seconds",
                "How much later than one frame interval after the previous one a frame started.",
                server.FrameLateness);
  out.Gauge(
      "vexserver_engine_responding",
      "1 while the engine finishes frames; 0 when none finished for a second, or no engine runs.",
      server.EngineResponding ? 1 : 0);
  out.Gauge("vexserver_seconds_since_last_frame", "Seconds since the engine last finished a frame.",
            server.SecondsSinceLastFrame);
  if (server.Level) {
    constexpr const char* kLevel = "vexserver_level_info";
    out.Family(kLevel, "The level being played, in the label level.", MetricType::Gauge);
    out.Sample(kLevel, 1, {{"level", *server.Level}});
  }
  out.Gauge("vexserver_uptime_seconds", "Seconds since the game was hosted.", server.UptimeSeconds);
  if (server.DroppedDatagrams) {
    out.Counter("vexserver_game_port_dropped_datagrams_total",
                "Datagrams the engine dropped on the game port: malformed, unknown, spoofed or "
                "over its rate.",
                Number(*server.DroppedDatagrams));
  }
  if (server.SocketDroppedDatagrams) {
    out.Counter("vexserver_game_port_socket_dropped_datagrams_total",
                "Datagrams the kernel dropped on the game port because its receive buffer was "
                "full, before the engine could read them.",
                Number(*server.SocketDroppedDatagrams));
  }
  WriteSignIns(out, server);
  out.Gauge("vexserver_bans_active", "Addresses banned now for wrong passwords or tokens.",
            Number(server.ActiveBans));
  out.Gauge("vexserver_web_sessions", "Web page sessions logged in now.",
            Number(server.WebSessions));
  constexpr const char* kQueries = "vexserver_queries_total";
  out.Family(kQueries, "Server queries answered, and refused over their address's rate.",
             MetricType::Counter);
  out.Sample(kQueries, Number(server.Queries.Answered), {{"result", "answered"}});
  out.Sample(kQueries, Number(server.Queries.Refused), {{"result", "refused"}});
  out.Counter("vexserver_console_lines_dropped_total",
              "Console lines a stalled terminal did not take.", Number(server.ConsoleLinesDropped));
  if (process) {
    WriteProcessMetrics(out, *process);
  }
  return out.Text();
}

}  // namespace vex::remote
