#include "platform/JournalStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace vex::platform {

namespace {

bool StandardErrorIsJournal() {
  const char* stream = std::getenv("JOURNAL_STREAM");
  if (stream == nullptr) {
    return false;
  }
  std::uintmax_t device = 0;
  std::uintmax_t inode = 0;
  if (std::sscanf(stream, "%" SCNuMAX ":%" SCNuMAX, &device, &inode) != 2) {
    return false;
  }
  struct stat status {};
  return fstat(STDERR_FILENO, &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

}  // namespace

std::string_view JournalPrefix(Severity severity) {
  // Standard error is not redirected while the program runs: asking once is enough.
  static const bool journal = StandardErrorIsJournal();
  if (!journal) {
    return {};
  }
  return severity == Severity::Error ? "<3>" : "<4>";
}

}  // namespace vex::platform
