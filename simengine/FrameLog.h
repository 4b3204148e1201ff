#pragma once

#include <cstdio>
#include <string>

namespace vex::sim {

// The start of every frame on the steady clock, in microseconds, one line each: what a load
// script outside the process needs to see the update thread's pace.
class FrameLog {
 public:
  FrameLog() = default;
  FrameLog(const FrameLog&) = delete;
  FrameLog& operator=(const FrameLog&) = delete;
  ~FrameLog();

  bool Open(const std::string& path);
  void RecordFrameStart();

 private:
  std::FILE* file_ = nullptr;
  int unflushed_ = 0;
};

}  // namespace vex::sim
