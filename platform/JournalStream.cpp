#include "platform/JournalStream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace vex::platform {

namespace {

bool AskJournal(int fd) {
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
  return fstat(fd, &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

}  // namespace

bool IsJournal(int fd) {
  static const bool output = AskJournal(STDOUT_FILENO);
  static const bool error = AskJournal(STDERR_FILENO);
  if (fd == STDOUT_FILENO) {
    return output;
  }
  return fd == STDERR_FILENO ? error : AskJournal(fd);
}

std::string_view JournalPrefix(Severity severity, int fd) {
  if (severity == Severity::Info || !IsJournal(fd)) {
    return {};
  }
  return severity == Severity::Error ? "<3>" : "<4>";
}

bool SameStream(int first, int second) {
  struct stat a {};
  struct stat b {};
  return fstat(first, &a) == 0 && fstat(second, &b) == 0 && a.st_dev == b.st_dev &&
         a.st_ino == b.st_ino;
}

}  // namespace vex::platform
