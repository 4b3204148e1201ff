#include <gtest/gtest.h>

#include <string>

#include "platform/ExecutablePath.h"
#include "platform/SharedModule.h"

namespace vex::platform {
namespace {

TEST(SharedModule, MissingModuleGivesTheLoaderMessage) {
  std::string error;
  EXPECT_EQ(SharedModule::Open("./no-such-module.so", error), nullptr);
  EXPECT_NE(error.find("no-such-module.so"), std::string::npos) << error;
}

TEST(SharedModule, FindsPresentEntriesAndReportsMissingOnes) {
  std::string error;
  auto module = SharedModule::Open("libm.so.6", error);
  ASSERT_NE(module, nullptr) << error;

  auto* cosine = reinterpret_cast<double (*)(double)>(module->Symbol("cos", error));
  ASSERT_NE(cosine, nullptr) << error;
  EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);

  EXPECT_EQ(module->Symbol("CreateEngineServer", error), nullptr);
  EXPECT_NE(error.find("CreateEngineServer"), std::string::npos) << error;
}

TEST(ExecutableDirectory, IsTheTestProgramsFolder) {
  EXPECT_EQ(ExecutableDirectory(), std::string(VEX_BIN_DIR));
}

}  // namespace
}  // namespace vex::platform
