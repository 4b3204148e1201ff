// vexattr: checks an attribute file and prints what the library reads from it.

#include <cstdio>
#include <cstring>
#include <string>

#include "attrib/AttributeFile.h"
#include "tools/vexattr/StoreDump.h"
#include "tools/vexattr/TokenDump.h"

namespace {

constexpr const char* kUsage =
    "Usage: vexattr FILE\n"
    "       vexattr --tokens FILE\n"
    "       vexattr --help\n"
    "\n"
    "Reads an attribute file as the server does. Prints every tag and symbol with its kind\n"
    "and value, sorted by name, and exits with 0; prints the error with file and line and\n"
    "exits with 1 when the file does not parse. With --tokens, prints the tokens instead,\n"
    "one line each: line number, kind, value and text.\n";

void PrintCannotOpen(const std::string& fileName) {
  std::fprintf(stderr, "vexattr: %s: cannot open or not an attribute file\n", fileName.c_str());
}

int CheckFile(const std::string& fileName) {
  vex::CAttributeFile file;
  if (!file.Parse(fileName, 0)) {
    if (file.LastError().empty()) {
      PrintCannotOpen(fileName);
    } else {
      std::fprintf(stderr, "%s\n", file.LastError().c_str());
    }
    return 1;
  }
  vex::tools::DumpStore(file, stdout);
  if (!file.LastError().empty()) {
    std::fprintf(stderr, "%s\n", file.LastError().c_str());
  }
  return 0;
}

int ListTokens(const std::string& fileName) {
  std::string error;
  switch (vex::tools::DumpTokens(fileName, stdout, error)) {
    case vex::tools::TokenDumpResult::Done:
      return 0;
    case vex::tools::TokenDumpResult::CannotOpen:
      PrintCannotOpen(fileName);
      return 1;
    case vex::tools::TokenDumpResult::ScanFailed:
      std::fflush(stdout);
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && argv[1][0] != '-') {
    return CheckFile(argv[1]);
  }
  if (argc == 3 && std::strcmp(argv[1], "--tokens") == 0) {
    return ListTokens(argv[2]);
  }
  std::fputs(kUsage, stderr);
  return 2;
}
