#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vex::remote {

// The server query protocol of server browsers (A2S): one datagram asks, one answers; an answer
// larger than a datagram goes in parts (remote/A2sSplit.h).
inline constexpr std::size_t kA2sMaxDatagram = 1400;
// A part of a split answer has a header of its own; the most parts of one answer bound how large
// an answer is built, and the players and rules that would not fit are left out.
inline constexpr std::size_t kA2sSplitHeader = 12;
inline constexpr std::size_t kA2sPartPayload = kA2sMaxDatagram - kA2sSplitHeader;
inline constexpr std::size_t kA2sMostParts = 16;
inline constexpr std::size_t kA2sMaxAnswer = kA2sMostParts * kA2sPartPayload;

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
// The players up to 255 and kA2sMaxAnswer bytes; the count says how many follow.
std::string BuildA2sPlayers(const A2sStatus& status);
std::string BuildA2sRules(const A2sStatus& status);

}  // namespace vex::remote
