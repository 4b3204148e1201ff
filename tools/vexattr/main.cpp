// vexattr: checks an attribute file and prints what the library reads from it.

#include <cstdio>
#include <cstring>
#include <string>

#include "attrib/AttributeFile.h"
#include "platform/RegularFile.h"
#include "tools/vexattr/StoreDump.h"
#include "tools/vexattr/TokenDump.h"

namespace {

constexpr const char* kUsage =
    "Usage: vexattr FILE\n"
    "       vexattr --tokens FILE\n"
    "       vexattr --help\n"
    "\n"
    "Reads an attribute file as the server does. Prints every tag and symbol with its kind\n"
    "and value, sorted by name, and exits with 0, or with 1 when the file does not parse.\n"
    "Each message of the reader goes to standard error with its file and line. With\n"
    "--tokens, prints the tokens instead, one line each: line number, kind, value and text.\n"
    "Only regular files are read.\n";

// Every message of the library as it comes, not only the last one it keeps.
void PrintLibraryMessage(const char* message) {
  std::fprintf(stderr, "%s\n", message);
}

int CheckFile(std::FILE* stream, const std::string& fileName) {
  vex::CAttributeFile file;
  file.SetErrorCallback(PrintLibraryMessage);
  if (!file.Parse(stream, fileName, 0)) {
    if (file.LastError().empty()) {
      std::fprintf(stderr, "vexattr: %s: not an attribute file\n", fileName.c_str());
    }
    return 1;
  }
  vex::tools::DumpStore(file, stdout);
  return 0;
}

int ListTokens(std::FILE* stream, const std::string& fileName) {
  std::string error;
  if (vex::tools::DumpTokens(stream, fileName, stdout, error)) {
    return 0;
  }
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", error.c_str());
  return 1;
}

// A FIFO or a device named by mistake is refused at once instead of being waited on.
template <typename Run>
int WithFile(const std::string& fileName, Run run) {
  const vex::platform::RegularFileOpening opened = vex::platform::OpenRegularFile(fileName);
  if (!opened.Stream) {
    std::fprintf(stderr, "vexattr: %s: %s\n", fileName.c_str(), opened.Error.c_str());
    return 1;
  }
  return run(opened.Stream.get(), fileName);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && argv[1][0] != '-') {
    return WithFile(argv[1], CheckFile);
  }
  if (argc == 3 && std::strcmp(argv[1], "--tokens") == 0) {
    return WithFile(argv[2], ListTokens);
  }
  std::fputs(kUsage, stderr);
  return 2;
}
