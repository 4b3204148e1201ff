#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/WorkerThread.h"

namespace vex::platform {

// A log file that the program appends to without ever waiting for it: lines are queued and a
// thread of the log's own writes them, each with the time it was queued (ISO 8601). Reopen makes
// the thread open the path again, so that a file renamed by logrotate is left behind complete. A
// write that fails is reported once (again only after a write succeeded); the lines are lost, the
// program goes on, and the first line the file takes again is preceded by how many were lost.
// Beyond a bound the queue drops lines and says how many. Only a regular file or a character
// device is ever opened, so the log never waits for a reader at the other end of a FIFO.
class LogFile {
 public:
  // Receives each problem of the log as one line of text.
  using Reporter = std::function<void(const std::string&)>;

  // Nothing, with the reason in `error`, when the path is no regular file or character device that
  // can be opened for appending.
  static std::unique_ptr<LogFile> Open(const std::string& path, std::string& error,
                                       Reporter report);
  // Writes what is queued, giving the file up to lastFlush to take it; what it has not taken by
  // then is lost, and said to be.
  ~LogFile();
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  // Any text; each line of it (a line feed ends one) becomes a line of the file.
  void Append(std::string_view text);
  void Reopen();

  static constexpr std::chrono::milliseconds kLastFlush{5000};

 private:
  struct Entry {
    std::chrono::system_clock::time_point Time;
    std::string Text;
  };

  // Everything the writer thread touches; it keeps its share when it is abandoned.
  struct Writer {
    Writer(std::string path, int fd, Reporter report);
    ~Writer();
    void Loop();
    void WriteEntry(const Entry& entry);
    // Each line of the text with the time before it; how many lines that made.
    static std::size_t AppendLines(std::string& bytes, std::chrono::system_clock::time_point time,
                                   std::string_view text);
    // How many of the bytes the file took.
    std::size_t WriteAll(const std::string& bytes);
    void ReopenNow();
    void ReportOnce(const std::string& what, const std::string& reason);

    const std::string Path;
    int Fd;
    const Reporter Report;
    std::mutex Mutex;
    std::condition_variable Wake;
    std::deque<Entry> Queue;
    std::size_t QueuedBytes = 0;
    std::uint64_t DroppedLines = 0;
    bool ReopenWanted = false;
    bool Ending = false;
    bool FailureReported = false;  // writer thread only
    // Lines that failed writes lost, noted in the file once it takes lines again; writer only.
    std::uint64_t LostLines = 0;
    std::string LostReason;
  };

  explicit LogFile(std::shared_ptr<Writer> writer);

  std::shared_ptr<Writer> writer_;
  WorkerThread thread_;
};

}  // namespace vex::platform
