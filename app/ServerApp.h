#pragma once

#include <string>
#include <vector>

#include "framework/Application.h"

namespace vex {

// The application: shows the status window modally for the life of the process.
class CServerApp : public fw::CWinApp {
 public:
  explicit CServerApp(std::vector<std::string> arguments);

 protected:
  bool InitInstance() override;
  int Run() override;

 private:
  std::vector<std::string> arguments_;
};

}  // namespace vex
