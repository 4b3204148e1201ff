#pragma once

#include <cstdio>
#include <string>

namespace vex::tools {

// Scans the open file and prints one line "LINE KIND VALUE TEXT" per token, EndOfFile included.
// False when the scan failed; `error` then holds the scanner's message.
bool DumpTokens(std::FILE* file, const std::string& fileName, std::FILE* out, std::string& error);

}  // namespace vex::tools
