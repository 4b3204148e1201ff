#pragma once

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

}  // namespace vex::platform
