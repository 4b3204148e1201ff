#pragma once

#include <string>

namespace vex::remote {

// What a command printed, for whoever sent it.
struct CommandOutput {
  std::string Text;
  // The text is the game's output, which the console shows everyone as well; a server command's
  // answer and a refusal are for the sender alone.
  bool OnConsole = false;
};

}  // namespace vex::remote
