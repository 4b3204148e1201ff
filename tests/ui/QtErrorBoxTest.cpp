// The window's error boxes keep their fixed text and say below it why, as the console does.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "ServerWindow.h"
#include "framework/StringTable.h"

namespace vex {
namespace {

using test::MessageBoxRecorder;
using test::PumpUntil;
using test::ScopedEnvironment;
using test::ServerWindow;

struct ErrorBoxCase {
  const char* Name;
  const char* Fault;
  const char* Config;
  int ErrorId;
  std::string Cause;
};

void PrintTo(const ErrorBoxCase& c, std::ostream* out) {
  *out << c.Name;
}

class QtErrorBox : public ::testing::TestWithParam<ErrorBoxCase> {};

TEST_P(QtErrorBox, KeepsItsTextAndAddsTheCause) {
  const ErrorBoxCase& param = GetParam();
  ScopedEnvironment fault("VEX_SIM_FAULT", param.Fault);
  ServerWindow server({"vexserver", "-config", param.Config});
  MessageBoxRecorder boxes(fw::IDYES);
  server.Window().Create();
  ASSERT_TRUE(PumpUntil([&] { return boxes.Boxes().size() >= 2; }));
  fw::PumpEvents(50);

  const std::string& text = boxes.Boxes()[0].text;
  EXPECT_EQ(text.rfind(fw::LoadStringOrEmpty(param.ErrorId), 0), 0u) << text;
  EXPECT_NE(text.find(param.Cause), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, QtErrorBox,
    ::testing::Values(
        ErrorBoxCase{"MissingFile", "", "absent", 11,
                     std::string("absent.txt: ") + std::strerror(ENOENT)},
        ErrorBoxCase{"Hosting", "host", "test", 124, "Hosting was refused (VEX_SIM_FAULT=host)."},
        ErrorBoxCase{"GameCode", "gamecode", "test", 107, "Loading the game code was refused"}),
    [](const auto& testInfo) { return std::string(testInfo.param.Name); });

}  // namespace
}  // namespace vex
