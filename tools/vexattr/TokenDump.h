#pragma once

#include <cstdio>
#include <string>

namespace vex::tools {

enum class TokenDumpResult { Done, CannotOpen, ScanFailed };

// Scans the file and prints one line "LINE KIND VALUE TEXT" per token, EndOfFile included.
// On ScanFailed, `error` holds the scanner's message.
TokenDumpResult DumpTokens(const std::string& fileName, std::FILE* out, std::string& error);

}  // namespace vex::tools
