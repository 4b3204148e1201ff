#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Application.h"
#include "framework/MessageBox.h"

namespace vex::test {

// Starts one back-end for the whole test program: the console one (which then neither reads
// standard input nor catches signals) or the Qt one on the offscreen platform. Register it once
// per test program:
//   static auto* const backEnd = ::testing::AddGlobalTestEnvironment(
//       new vex::test::BackEndEnvironment(vex::fw::FrontEnd::Console));
class BackEndEnvironment : public ::testing::Environment {
 public:
  explicit BackEndEnvironment(fw::FrontEnd frontEnd) : frontEnd_(frontEnd) {}
  void SetUp() override;
  void TearDown() override;

 private:
  fw::FrontEnd frontEnd_;
};

// The front-end that runs, as the environment started it.
fw::FrontEnd RunningFrontEnd();

// Runs events until the condition holds or the time is up; returns whether it holds.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMilliseconds = 5000);

// Answers every message box while it lives, and keeps what was asked.
class MessageBoxRecorder {
 public:
  struct Box {
    std::string text;
    std::string caption;
    fw::MessageBoxStyle style;
  };

  explicit MessageBoxRecorder(int answer = fw::IDYES);
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  void SetAnswer(int answer) { answer_ = answer; }
  const std::vector<Box>& Boxes() const { return boxes_; }

 private:
  int answer_;
  std::vector<Box> boxes_;
};

}  // namespace vex::test
