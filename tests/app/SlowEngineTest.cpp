// An engine whose frames take half a second, with eight bots playing: the operator is never shut
// out. What is typed is carried out, the game's lines keep coming, and frames that finish are no
// hang; a frame that never finishes is one.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/ProgramFixtures.h"

namespace vex {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

class SlowEngine : public ::testing::Test {
 protected:
  ~SlowEngine() override { server_.reset(); }

  void Start(const std::string& fault = "") {
    std::vector<std::string> environment{"VEX_SIM_FRAME_MS=500", "VEX_SIM_BOTS=8",
                                         "VEX_SIM_SEED=7"};
    if (!fault.empty()) {
      environment.push_back("VEX_SIM_FAULT=" + fault);
    }
    server_.emplace(test::kProgram,
                    std::vector<std::string>{"-console", "-config", "deathmatch", "-port", "0",
                                             "-timestamps=0"},
                    game_.Path(), environment);
  }

  // Whether the server wrote another line within the limit.
  bool AnotherLine(std::chrono::milliseconds limit) {
    const std::size_t seen = server_->Output().size();
    return server_->CollectUntil(
        [&] { return server_->Output().find('\n', seen) != std::string::npos; }, limit);
  }

  test::GameFolder game_;
  std::optional<ChildProcess> server_;
};

TEST_F(SlowEngine, TypedCommandsAreCarriedOutAndTheConsoleKeepsGoing) {
  Start();
  ASSERT_TRUE(server_->WaitForOutput("Server is running.", 20s)) << server_->Errors();
  ASSERT_TRUE(server_->WaitForOutput("(level 1 of", 20s)) << server_->Output();

  server_->Write("say heard through slow frames\n");
  EXPECT_TRUE(server_->WaitForOutput("Server: heard through slow frames", 20s))
      << server_->Output();
  server_->Write("/next\n");
  EXPECT_TRUE(server_->WaitForOutput("(level 2 of", 20s)) << server_->Output();
  for (int round = 0; round < 4; ++round) {
    EXPECT_TRUE(AnotherLine(5s)) << "round " << round << "\n" << server_->Output();
  }

  const std::string output = server_->Output();
  EXPECT_EQ(output.find("not responding"), std::string::npos) << output;
  EXPECT_EQ(output.find("not answering"), std::string::npos) << output;
  server_->Write("/stop\n");
  EXPECT_EQ(server_->WaitForExit(), 2);
}

// Twelve slow frames, then one that never ends: the console said nothing of the slow ones, and
// says that the engine is not responding once the hung one keeps it from answering.
TEST_F(SlowEngine, AFrameThatNeverEndsIsSaid) {
  Start("hang:12");
  ASSERT_TRUE(server_->WaitForOutput("(level 1 of", 20s)) << server_->Output();
  ASSERT_TRUE(server_->WaitForOutput("The engine is not responding; it last answered at ", 30s))
      << server_->Output();
  const std::string output = server_->Output();
  EXPECT_LT(output.find("(level 1 of"), output.find("not responding")) << output;
  EXPECT_EQ(output.find("not answering"), std::string::npos) << output;
}

}  // namespace
}  // namespace vex
