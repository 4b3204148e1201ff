#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vex::remote {

// The server query protocol of server browsers (A2S): one datagram asks, one answers. Answers
// stay within one datagram, so the split-packet format is never needed.
inline constexpr std::size_t kA2sMaxDatagram = 1400;

enum class A2sKind { Info, Players, Rules };

struct A2sRequest {
  A2sKind Kind = A2sKind::Info;
  // Absent when the client sent none, or the value that asks for one.
  std::optional<std::uint32_t> Challenge;
};

// Null for anything that is not one of the three queries.
std::optional<A2sRequest> ParseA2sRequest(std::string_view datagram);

struct A2sPlayer {
  std::string Name;
  std::int32_t Score = 0;
  float Seconds = 0;  // on the server
  bool Bot = false;   // as far as the engine tells
};

struct A2sStatus {
  std::string Name;
  std::string Map;
  std::string Folder;
  std::string Game;
  std::string Version;
  int MaxPlayers = 0;
  bool Password = false;
  std::uint16_t GamePort = 0;
  std::vector<A2sPlayer> Players;
  std::vector<std::pair<std::string, std::string>> Rules;
};

std::string BuildA2sChallenge(std::uint32_t challenge);
std::string BuildA2sInfo(const A2sStatus& status);
// Only the players that fit one datagram; the count says how many follow.
std::string BuildA2sPlayers(const A2sStatus& status);
std::string BuildA2sRules(const A2sStatus& status);

}  // namespace vex::remote
