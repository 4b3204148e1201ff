#include "session/ShellMessages.h"

#include "platform/ByteWriter.h"
#include "platform/TextCut.h"

namespace vex {

namespace {

constexpr std::uint8_t kStartId = 0;
constexpr std::uint8_t kNextLevelId = 1;
constexpr std::uint8_t kSelectLevelId = 2;
constexpr std::uint8_t kConsoleCommandId = 3;
constexpr std::uint8_t kNewline = 10;

template <std::size_t N>
std::array<std::uint8_t, N> MakeHeader(std::uint8_t id) {
  std::array<std::uint8_t, N> buffer{};
  platform::ByteWriter writer(buffer);
  writer.PutByte(id);
  writer.PutByte(kNewline);
  return buffer;
}

}  // namespace

StartMessage MakeStartMessage() {
  return MakeHeader<32>(kStartId);
}

LevelMessage MakeNextLevelMessage() {
  return MakeHeader<128>(kNextLevelId);
}

LevelMessage MakeSelectLevelMessage(int levelIndex) {
  LevelMessage buffer{};
  platform::ByteWriter writer(buffer);
  writer.PutByte(kSelectLevelId);
  writer.PutByte(kNewline);
  writer.PutDecimal(levelIndex);
  writer.PutByte(kNewline);
  return buffer;
}

ConsoleCommandMessage MakeConsoleCommandMessage(std::string_view command) {
  command = command.substr(0, command.find('\0'));
  command = platform::CutAtCharacter(command, kMaxConsoleCommand);
  ConsoleCommandMessage buffer{};
  platform::ByteWriter writer(buffer);
  writer.PutByte(kConsoleCommandId);
  writer.PutText(command);
  writer.PutByte(0);
  return buffer;
}

}  // namespace vex
