#include "simengine/FrameLog.h"

#include <chrono>

namespace vex::sim {

namespace {

// About once a second at 30 frames, so that a reader sees the frames while the server runs.
constexpr int kLinesPerFlush = 30;

}  // namespace

FrameLog::~FrameLog() {
  if (file_ != nullptr) {
    std::fclose(file_);
  }
}

bool FrameLog::Open(const std::string& path) {
  file_ = std::fopen(path.c_str(), "w");
  return file_ != nullptr;
}

void FrameLog::RecordFrameStart() {
  if (file_ == nullptr) {
    return;
  }
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(
                          std::chrono::steady_clock::now().time_since_epoch())
                          .count();
  std::fprintf(file_, "%lld\n", static_cast<long long>(micros));
  if (++unflushed_ >= kLinesPerFlush) {
    std::fflush(file_);
    unflushed_ = 0;
  }
}

}  // namespace vex::sim
