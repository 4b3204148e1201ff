// Texts of the server query as a server browser reads them.
#include <gtest/gtest.h>

#include <string>

#include "tests/remote/RemoteServer.h"

namespace vex::test {
namespace {

// An escape sequence, a bell, a lone byte that starts a terminal sequence on some terminals and
// the same as a C1 control: the browser gets the text the console shows, valid UTF-8 without a
// control byte, which its decoder keeps as it is.
TEST(QueryText, ControlBytesAndBrokenUtf8ReachTheBrowserAsEscapes) {
  RemoteServer server({"-name", "red\x1b[31m \x07 \x9b \xc2\x9b \xc3\xa9nd"});
  ASSERT_TRUE(server.Start());
  const NodeRun run = RunNodeScript(
      "query-clients.js", {"@fabricio-191/valve-server-query", std::to_string(server.QueryPort())});
  ASSERT_EQ(run.ExitCode, 0) << run.Output;
  EXPECT_NE(run.Output.find("name=red\\x1b[31m \\x07 \\x9b \\xc2\\x9b \xc3\xa9nd\n"),
            std::string::npos)
      << run.Output;
  EXPECT_NE(server.Process().Output().find("red\\x1b[31m \\x07 \\x9b \\xc2\\x9b \xc3\xa9nd"),
            std::string::npos)
      << server.Process().Output();
}

}  // namespace
}  // namespace vex::test
