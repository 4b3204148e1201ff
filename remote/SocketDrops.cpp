#include "remote/SocketDrops.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vex::remote {

namespace {

// The columns of a row: "sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt
// uid timeout inode ref pointer drops".
constexpr std::size_t kLocalAddressColumn = 1;
constexpr std::size_t kInodeColumn = 9;
constexpr std::size_t kDropsColumn = 12;

template <class Number>
std::optional<Number> ParseNumber(std::string_view text, int base) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// The inodes of this process's sockets, from the links of its descriptors ("socket:[INODE]").
std::set<std::uint64_t> OwnSocketInodes() {
  std::set<std::uint64_t> inodes;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
    const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
    constexpr std::string_view kPrefix = "socket:[";
    if (error || target.rfind(kPrefix, 0) != 0 || target.back() != ']') {
      continue;
    }
    const std::string_view digits =
        std::string_view(target).substr(kPrefix.size(), target.size() - kPrefix.size() - 1);
    if (const auto inode = ParseNumber<std::uint64_t>(digits, 10)) {
      inodes.insert(*inode);
    }
  }
  return inodes;
}

}  // namespace

std::optional<std::uint64_t> SumSocketDrops(std::string_view table, std::uint16_t port,
                                            const std::set<std::uint64_t>& inodes) {
  std::optional<std::uint64_t> drops;
  std::istringstream lines{std::string(table)};
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::vector<std::string> columns;
    for (std::string word; words >> word;) {
      columns.push_back(word);
    }
    if (columns.size() <= kDropsColumn) {
      continue;
    }
    const std::string& local = columns[kLocalAddressColumn];
    const std::size_t colon = local.rfind(':');
    const auto localPort = colon == std::string::npos
                               ? std::nullopt
                               : ParseNumber<std::uint16_t>(local.substr(colon + 1), 16);
    const auto inode = ParseNumber<std::uint64_t>(columns[kInodeColumn], 10);
    const auto dropped = ParseNumber<std::uint64_t>(columns[kDropsColumn], 10);
    if (localPort == port && inode && inodes.count(*inode) != 0 && dropped) {
      drops = drops.value_or(0) + *dropped;
    }
  }
  return drops;
}

std::optional<std::uint64_t> ReadSocketDrops(std::uint16_t port) {
  const std::set<std::uint64_t> inodes = OwnSocketInodes();
  std::optional<std::uint64_t> drops;
  for (const char* table : {"/proc/self/net/udp", "/proc/self/net/udp6"}) {
    std::ifstream file(table);
    if (!file) {
      continue;
    }
    std::stringstream text;
    text << file.rdbuf();
    if (const auto dropped = SumSocketDrops(text.str(), port, inodes)) {
      drops = drops.value_or(0) + *dropped;
    }
  }
  return drops;
}

}  // namespace vex::remote
