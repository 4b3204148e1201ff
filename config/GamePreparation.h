#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "attrib/AttributeFile.h"
#include "config/ConfigReader.h"
#include "engine/GameOptions.h"

namespace vex {

// Asked for a configuration name when the command line gives none; nothing means cancelled.
using ChooseConfigName = std::function<std::optional<std::string>()>;

struct PreparedGame {
  std::string ConfigPath;  // the completed Windows-style path
  CGameOptions Block{};    // translated, Dedicated set, -port and -name applied
  int GameTypeStringId = 0;
  std::vector<std::string> Levels;  // the block's level names in slot order
};

struct GamePreparation {
  int ErrorId = 0;  // 0, or the string id of the error to report (10, 11, 12, 13)
  // With error 11, why: the file and the C library's reason (strerror) it could not be opened, the
  // attribute library's message with file and line, or why the path was refused.
  std::string ErrorText;
  PreparedGame Game;  // complete only when ErrorId is 0; ConfigPath is set from error 11 on
  // The file's values that their fields could not hold, once the file was read.
  std::string FileName;  // the file as opened and as its messages name it
  std::vector<NarrowedValue> Narrowed;
};

// Everything of the game host setup that needs neither the engine nor a window: choose the name,
// complete, parse and read the file, translate it and apply the command line. The callback, when
// given, receives every message of the attribute library while the file is parsed and read.
// The arguments are the process's, the program's name first.
GamePreparation PrepareGame(std::span<const std::string> arguments,
                            const ChooseConfigName& chooseName,
                            CAttributeFile::ErrorCallback errorCallback = nullptr);

}  // namespace vex
