#include "config/GamePreparation.h"

#include "config/CommandLine.h"
#include "config/ConfigPath.h"
#include "config/ConfigReader.h"
#include "config/FixedText.h"
#include "config/GameOptionsBuilder.h"
#include "config/GameTypes.h"
#include "config/ServerConfig.h"
#include "platform/FileSystem.h"
#include "platform/RegularFile.h"
#include "res/Resource.h"

namespace vex {
namespace {

std::optional<std::string> ConfigName(std::span<const std::string> arguments,
                                      const ChooseConfigName& chooseName) {
  std::string name;
  ApplyCommandLine(arguments, name);
  if (!name.empty()) {
    return name;
  }
  std::optional<std::string> chosen = chooseName ? chooseName() : std::nullopt;
  if (!chosen || chosen->empty()) {
    return std::nullopt;
  }
  return chosen;
}

}  // namespace

GamePreparation PrepareGame(std::span<const std::string> arguments,
                            const ChooseConfigName& chooseName,
                            CAttributeFile::ErrorCallback errorCallback) {
  GamePreparation result;
  CGameOptions block = PresetGameOptions();
  CServerConfig config;

  const std::optional<std::string> name = ConfigName(arguments, chooseName);
  if (!name) {
    result.ErrorId = res::IDS_NO_CONFIG;
    return result;
  }
  const std::optional<std::string> path = CompleteConfigPath(*name);
  if (!path) {
    result.ErrorId = res::IDS_CONFIG_UNREADABLE;
    result.ErrorText = "The configuration path for \"" + *name + "\" is 260 characters or longer.";
    return result;
  }
  result.Game.ConfigPath = *path;

  const std::string fileName = platform::ResolvePath(*path);
  const platform::RegularFileOpening opened = platform::OpenRegularFile(fileName);
  if (!opened.Stream) {
    result.ErrorId = res::IDS_CONFIG_UNREADABLE;
    result.ErrorText = fileName + ": " + opened.Error;
    return result;
  }
  CAttributeFile file;
  file.SetErrorCallback(errorCallback);
  if (!file.Parse(opened.Stream.get(), fileName, 0)) {
    result.ErrorId = res::IDS_CONFIG_UNREADABLE;
    // Some malformed files fail without a message of the library's own.
    result.ErrorText =
        file.LastError().empty() ? fileName + ": not an attribute file" : file.LastError();
    return result;
  }
  result.FileName = fileName;
  result.Narrowed = ReadServerConfig(config, file);
  TranslateConfig(config, block);
  block.Dedicated = 1;
  const GameTypeInfo* type = FindGameType(block.GameType);
  if (type == nullptr) {
    result.ErrorId = res::IDS_UNKNOWN_GAME_TYPE;
    return result;
  }
  // The record holds the port whole; the block has 16 bits for it.
  if (block.PortID != config.PortID) {
    result.Narrowed.push_back({"Preferences", "PortID", file.SymbolLine("Preferences", "PortID"),
                               config.PortID, block.PortID});
  }
  if (block.MapCount == 0) {
    result.ErrorId = res::IDS_NO_MAPS;
    return result;
  }
  ApplyCommandLine(arguments, block);

  result.Game.Block = block;
  result.Game.GameTypeStringId = type->DisplayStringId;
  for (int slot = 0; slot < block.MapCount; ++slot) {
    result.Game.Levels.emplace_back(FixedTextView(block.Maps[slot]));
  }
  return result;
}

}  // namespace vex
