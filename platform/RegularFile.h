#pragma once

#include <sys/types.h>

#include <cstdio>
#include <memory>
#include <string>

namespace vex::platform {

struct StreamCloser {
  void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using FileStream = std::unique_ptr<std::FILE, StreamCloser>;

// A stream open for reading, or why there is none: the errno value and its text, or the kind
// of file that was refused (with SystemError 0).
struct RegularFileOpening {
  FileStream Stream;
  int SystemError = 0;
  std::string Error;
};

// Opens a regular file for reading in binary mode. Anything else (a FIFO, a device, a directory,
// a socket) is refused at once: the file is opened without blocking and checked before any read,
// so a FIFO with no writer never stalls the caller.
RegularFileOpening OpenRegularFile(const std::string& path);

// A descriptor open for writing, or -1 and why (the errno text, or the kind of file refused).
struct WritingOpening {
  int Fd = -1;
  std::string Error;
};

enum class Writing { Append, Replace };

// Opens a file for writing, creating it with the given mode when it is missing: a regular file,
// appended to or emptied first, or a character device (/dev/null, /dev/stdout on a terminal). A
// FIFO (with or without a reader), a directory, a socket or a block device is refused without
// ever blocking.
WritingOpening OpenFileForWriting(const std::string& path, mode_t mode, Writing how);

}  // namespace vex::platform
