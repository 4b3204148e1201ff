#include "remote/ProcessStats.h"

#include <dirent.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <string>

namespace vex::remote {

namespace {

// Fields of /proc/PID/stat, counted from 1 as proc(5) does.
constexpr int kUserTimeField = 14;
constexpr int kSystemTimeField = 15;
constexpr int kStartTimeField = 22;
constexpr int kResidentPagesField = 24;

std::optional<std::int64_t> BootTime() {
  std::ifstream stat("/proc/stat");
  std::string line;
  while (std::getline(stat, line)) {
    if (line.rfind("btime ", 0) == 0) {
      std::int64_t seconds = 0;
      const auto [end, error] =
          std::from_chars(line.data() + 6, line.data() + line.size(), seconds);
      if (error == std::errc{}) {
        return seconds;
      }
    }
  }
  return std::nullopt;
}

std::optional<double> OpenDescriptors() {
  DIR* folder = opendir("/proc/self/fd");
  if (folder == nullptr) {
    return std::nullopt;
  }
  double count = 0;
  while (const dirent* entry = readdir(folder)) {
    count += entry->d_name[0] == '.' ? 0 : 1;
  }
  closedir(folder);
  // The listing's own descriptor is no descriptor of the program.
  return count - 1;
}

}  // namespace

std::optional<ProcessStats> ParseProcessStat(std::string_view line, long ticksPerSecond,
                                             long pageSize, std::int64_t bootTimeSeconds) {
  // The command name in parentheses may hold anything, parentheses and spaces too; the fields
  // after the last closing one are numbers.
  const std::size_t close = line.rfind(')');
  if (close == std::string_view::npos || ticksPerSecond <= 0) {
    return std::nullopt;
  }
  std::istringstream fields{std::string(line.substr(close + 1))};
  std::string field;
  double user = -1;
  double system = -1;
  double start = -1;
  double pages = -1;
  for (int number = 3; fields >> field && number <= kResidentPagesField; ++number) {
    double value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    const bool numeric = error == std::errc{} && end == field.data() + field.size();
    if (number == kUserTimeField) {
      user = numeric ? value : -1;
    } else if (number == kSystemTimeField) {
      system = numeric ? value : -1;
    } else if (number == kStartTimeField) {
      start = numeric ? value : -1;
    } else if (number == kResidentPagesField) {
      pages = numeric ? value : -1;
    }
  }
  if (user < 0 || system < 0 || start < 0 || pages < 0) {
    return std::nullopt;
  }
  const auto ticks = static_cast<double>(ticksPerSecond);
  ProcessStats stats;
  stats.CpuSeconds = (user + system) / ticks;
  stats.ResidentBytes = pages * static_cast<double>(pageSize);
  stats.StartTimeSeconds = static_cast<double>(bootTimeSeconds) + start / ticks;
  return stats;
}

std::optional<ProcessStats> ReadProcessStats() {
  std::ifstream file("/proc/self/stat");
  std::string line;
  const std::optional<std::int64_t> bootTime = BootTime();
  if (!std::getline(file, line) || !bootTime) {
    return std::nullopt;
  }
  std::optional<ProcessStats> stats =
      ParseProcessStat(line, sysconf(_SC_CLK_TCK), sysconf(_SC_PAGESIZE), *bootTime);
  const std::optional<double> descriptors = OpenDescriptors();
  if (!stats || !descriptors) {
    return std::nullopt;
  }
  stats->OpenFds = *descriptors;
  return stats;
}

void WriteProcessMetrics(MetricsExposition& out, const ProcessStats& stats) {
  out.Counter("process_cpu_seconds_total", "Total user and system CPU time spent in seconds.",
              stats.CpuSeconds);
  out.Gauge("process_resident_memory_bytes", "Resident memory size in bytes.", stats.ResidentBytes);
  out.Gauge("process_open_fds", "Number of open file descriptors.", stats.OpenFds);
  out.Gauge("process_start_time_seconds", "Start time of the process since unix epoch in seconds.",
            stats.StartTimeSeconds);
}

}  // namespace vex::remote
