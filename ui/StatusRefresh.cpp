#include "ui/StatusRefresh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/FormatSpan.h"

namespace vex {

namespace {

// What one tick takes from the game's side under the session lock.
struct TakenState {
  bool RosterChanged = false;
  bool LevelStarted = false;
  std::int32_t Level = -1;
  std::vector<QueuedLine> Lines;
  std::vector<CPlayerInfo> Roster;
  // One a snapshot element, for the client its row shows; only while a level runs.
  std::vector<std::int32_t> Pings;
};

std::string Decimal(std::int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
  return text;
}

void WriteCell(fw::CListCtrl& list, int row, int column, const std::string& text) {
  if (list.GetItemText(row, column) != text) {
    list.SetItemText(row, column, text);
  }
}

void PrintLines(StatusRefreshContext& context, const std::vector<QueuedLine>& lines) {
  for (const QueuedLine& line : lines) {
    if (line.Kind == QueuedLineKind::Text) {
      context.PrintConsoleLine(line.Text, platform::Severity::Info);
    } else {
      context.CommandMark(line.Kind);
    }
  }
}

// Colour by Kind, a black ring when Ringed; a Kind the icons do not cover gets none rather than
// another row's icon (Kind -1 would otherwise borrow the current-level dot).
int PlayerStateImage(const CPlayerInfo& player) {
  if (player.Kind < 0 || player.Kind > 3) {
    return 0;
  }
  return player.Kind + (player.Ringed != 0 ? 6 : 2);
}

// The engine's seconds as whole milliseconds, truncated; a value that no 32-bit count can hold
// (infinite, not a number, or out of range) reads as 0 instead of an undefined conversion.
std::int32_t PingMilliseconds(float seconds) {
  const float milliseconds = seconds * 1000.0f;
  if (!std::isfinite(milliseconds) || milliseconds >= 2147483648.0f ||
      milliseconds < -2147483648.0f) {
    return 0;
  }
  return static_cast<std::int32_t>(milliseconds);
}

// The client each row shows once this tick has rewritten the rows.
std::vector<std::intptr_t> RowClients(const fw::CListCtrl& list, const TakenState& taken) {
  std::vector<std::intptr_t> clients(taken.Roster.size());
  for (std::size_t row = 0; row < clients.size(); ++row) {
    if (taken.RosterChanged) {
      clients[row] = taken.Roster[row].ClientId;
    } else if (static_cast<int>(row) < list.GetItemCount()) {
      clients[row] = list.GetItemData(static_cast<int>(row));
    }
  }
  return clients;
}

// Nothing when a frame keeps the lock: the tick is skipped and the state stays for the next one.
// Pings are asked in the same hold, as a frame may be running on the update thread: a second
// hold would wait for the frame that starts once this one lets go.
std::optional<TakenState> TakeGameState(StatusRefreshContext& context) {
  const SessionLockHold hold = context.Session.LockForRefresh();
  if (!hold) {
    return std::nullopt;
  }
  TakenState taken;
  GameTracking& tracking = context.Tracking;
  taken.Level = tracking.CurrentLevel;
  // Rows are written only while a level runs; a change seen before that stays for the first tick
  // that writes them, or players who joined before the level would show blank rows.
  if (taken.Level >= 0) {
    taken.RosterChanged = std::exchange(tracking.RosterChanged, false);
  }
  taken.Lines = context.Session.PendingConsoleLines().TakeAll();
  taken.LevelStarted = std::exchange(tracking.LevelStarted, false);
  taken.Roster.reserve(tracking.Roster.Size());
  tracking.Roster.ForEach([&](const CPlayerInfo& player) { taken.Roster.push_back(player); });
  if (taken.Level < 0) {
    return taken;
  }
  IServerEngine* engine = context.Session.Engine();
  for (const std::intptr_t client : RowClients(context.PlayerList, taken)) {
    float seconds = 0.0f;
    if (engine != nullptr) {
      engine->ReadClientPing(static_cast<std::int32_t>(client), &seconds);
    }
    taken.Pings.push_back(PingMilliseconds(seconds));
  }
  return taken;
}

void MatchRowCount(fw::CListCtrl& list, std::size_t wanted) {
  while (static_cast<std::size_t>(list.GetItemCount()) < wanted) {
    if (list.InsertItem(list.GetItemCount(), "") < 0) {
      break;
    }
  }
  while (static_cast<std::size_t>(list.GetItemCount()) > wanted) {
    if (!list.DeleteItem(list.GetItemCount() - 1)) {
      break;
    }
  }
}

// The selection belongs to the player the operator chose, not to the row: it moves with that
// client, and goes when the client leaves, so that Boot Player never acts on someone else.
void RewritePlayerRow(fw::CListCtrl& list, int row, const CPlayerInfo& player,
                      std::optional<std::intptr_t> selectedId) {
  list.SetItemData(row, player.ClientId);
  const bool selected = player.ClientId == selectedId;
  list.SetItemSelected(row, selected);
  if (selected) {
    list.SetSelectionMark(row);
  }
  WriteCell(list, row, kKillsColumn, Decimal(player.Kills));
  WriteCell(list, row, kScoreColumn, Decimal(player.Score));
  WriteCell(list, row, kLivesColumn, Decimal(player.Lives));
  list.SetStateImage(row, PlayerStateImage(player));
  const std::string name(player.Name, strnlen(player.Name, sizeof player.Name));
  WriteCell(list, row, kNameColumn, name);
}

std::optional<std::intptr_t> SelectedClient(const fw::CListCtrl& list) {
  const int row = list.GetFirstSelected();
  if (row < 0) {
    return std::nullopt;
  }
  return list.GetItemData(row);
}

// Rows and snapshot are matched by position; the Ping and Time cells are written only when their
// number differs from the one last written, as formatting and reading cells back for every row
// would cost most of a tick in which nothing changed. Returns the sum of the shown pings.
std::uint32_t UpdatePlayerRows(StatusRefreshContext& context, const TakenState& taken,
                               std::int64_t now) {
  fw::CListCtrl& list = context.PlayerList;
  std::optional<std::intptr_t> selectedId;
  if (taken.RosterChanged) {
    selectedId = SelectedClient(list);
  }
  const std::vector<CPlayerInfo>& snapshot = taken.Roster;
  MatchRowCount(list, snapshot.size());
  const int rows = std::min(list.GetItemCount(), static_cast<int>(snapshot.size()));
  if (taken.RosterChanged) {
    for (int row = 0; row < rows; ++row) {
      RewritePlayerRow(list, row, snapshot[row], selectedId);
    }
    context.Display.Players.assign(snapshot.begin(), snapshot.begin() + rows);
  }
  std::vector<ShownPlayerRow>& shown = context.Display.ShownRows;
  shown.resize(static_cast<std::size_t>(rows));
  std::uint32_t pingSum = 0;
  for (int row = 0; row < rows; ++row) {
    const std::int32_t ping = taken.Pings[static_cast<std::size_t>(row)];
    pingSum += static_cast<std::uint32_t>(ping);
    if (shown[row].Ping != ping) {
      list.SetItemText(row, kPingColumn, Decimal(ping));
      shown[row].Ping = ping;
    }
    const auto span = static_cast<std::int32_t>(now - snapshot[row].JoinTime);
    if (shown[row].Span != span) {
      list.SetItemText(row, kTimeColumn, FormatSpan(span));
      shown[row].Span = span;
    }
  }
  return pingSum;
}

void UpdateCounts(StatusRefreshContext& context, std::uint32_t pingSum) {
  StatusDisplay& display = context.Display;
  const auto count = static_cast<std::uint32_t>(context.PlayerList.GetItemCount());
  if (count != display.PlayerCount) {
    display.PlayerCount = count;
    char text[32];
    std::snprintf(text, sizeof text, "%d/%d", static_cast<int>(display.PlayerCount),
                  display.MaxPlayerCount);
    display.PlayersText = text;
    display.PeakPlayers = std::max(display.PeakPlayers, display.PlayerCount);
  }
  display.AveragePing = 0;
  if (display.PlayerCount > 0) {
    display.AveragePing =
        static_cast<std::uint32_t>(static_cast<double>(pingSum) / display.PlayerCount + 0.5);
  }
}

void MoveLevelMark(StatusRefreshContext& context, std::int32_t level) {
  StatusDisplay& display = context.Display;
  if (level == display.HighlightedLevel) {
    return;
  }
  fw::CListCtrl& list = context.LevelList;
  const int rows = list.GetItemCount();
  if (display.HighlightedLevel >= 0 && display.HighlightedLevel < rows) {
    list.SetStateImage(display.HighlightedLevel, 0);
    list.RedrawItems(display.HighlightedLevel, display.HighlightedLevel);
    display.HighlightedLevel = -1;
  }
  if (level >= 0 && level < rows) {
    list.SetStateImage(level, kCurrentLevelImage);
    list.RedrawItems(level, level);
    display.HighlightedLevel = level;
  }
}

// True when the text changed.
bool UpdateSpan(std::int64_t now, std::int64_t since, std::int32_t& shown, std::string& text) {
  const auto span = static_cast<std::int32_t>(now - since);
  if (span == shown) {
    return false;
  }
  shown = span;
  text = FormatSpan(span);
  return true;
}

// The clocks need no lock: a tick that a slow or hung frame skips still moves them on. Before the
// first level the running time is computed but not shown, as by a tick that took the lock.
void UpdateClocksOnly(StatusRefreshContext& context) {
  StatusDisplay& display = context.Display;
  const std::int64_t now = context.Now();
  bool changed =
      UpdateSpan(now, display.ServerStartTime, display.RunningSpanShown, display.RunningTimeText);
  if (!display.LevelRunning) {
    return;
  }
  changed |= UpdateSpan(now, display.LevelStartTime, display.LevelSpanShown, display.LevelTimeText);
  if (changed) {
    context.PushMembers();
  }
}

}  // namespace

RefreshOutcome RefreshStatus(StatusRefreshContext& context) {
  CServerSession& session = context.Session;
  if (session.Engine() == nullptr || !session.HasThread()) {
    return RefreshOutcome::Idle;
  }
  if (session.EngineError()) {
    // The stop empties the queue and forgets the reason.
    PrintLines(context, session.PendingConsoleLines().TakeAll());
    context.PrintConsoleLine(session.EngineErrorReason(), platform::Severity::Error);
    session.Stop();
    return RefreshOutcome::EngineStopped;
  }
  if (context.Tracking.LevelUnloaded) {
    return RefreshOutcome::Idle;
  }
  const std::optional<TakenState> took = TakeGameState(context);
  if (!took) {
    UpdateClocksOnly(context);
    return RefreshOutcome::EngineBusy;
  }
  const TakenState& taken = *took;
  StatusDisplay& display = context.Display;
  const std::int64_t now = context.Now();
  UpdateSpan(now, display.ServerStartTime, display.RunningSpanShown, display.RunningTimeText);
  if (taken.LevelStarted) {
    display.LevelStartTime = now;
    display.LevelTimeText = FormatSpan(0);
  }
  display.LevelRunning = taken.Level >= 0;
  if (taken.Level < 0) {
    PrintLines(context, taken.Lines);
    return RefreshOutcome::Ran;
  }
  UpdateSpan(now, display.LevelStartTime, display.LevelSpanShown, display.LevelTimeText);
  UpdateCounts(context, UpdatePlayerRows(context, taken, now));
  MoveLevelMark(context, taken.Level);
  PrintLines(context, taken.Lines);
  context.PushMembers();
  return RefreshOutcome::Ran;
}

}  // namespace vex
