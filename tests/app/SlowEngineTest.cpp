// An engine whose frames take half a second, with eight bots playing: the operator is never shut
// out. What is typed is carried out, the game's lines keep coming, and frames that finish are no
// hang.
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
  SlowEngine() {
    server_.emplace(
        test::kProgram,
        std::vector<std::string>{"-console", "-config", "deathmatch", "-port", "0",
                                 "-timestamps=0"},
        game_.Path(),
        std::vector<std::string>{"VEX_SIM_FRAME_MS=500", "VEX_SIM_BOTS=8", "VEX_SIM_SEED=7"});
  }
  ~SlowEngine() override { server_.reset(); }

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

}  // namespace
}  // namespace vex
