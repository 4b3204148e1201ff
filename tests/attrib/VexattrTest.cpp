#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/ScratchFolder.h"

namespace {

struct RunResult {
  std::string out;
  std::string err;
  int exitCode = -1;
};

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the built checker in the fixture folder, so file names in messages stay relative.
RunResult RunVexattr(const std::string& arguments) {
  vex::test::ScratchFolder scratch;
  const std::filesystem::path out = scratch.Path() / "out";
  const std::filesystem::path err = scratch.Path() / "err";
  const std::string command = "cd '" VEX_SOURCE_DIR "/tests/attrib/fixtures' && '" VEX_BIN_DIR
                              "/vexattr' " +
                              arguments + " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int status = std::system(command.c_str());
  RunResult result;
  result.out = ReadAll(out);
  result.err = ReadAll(err);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

struct ToolCase {
  const char* arguments;
  const char* out;
  const char* err;
  int exitCode;
};

void PrintTo(const ToolCase& c, std::ostream* out) {
  *out << "vexattr " << c.arguments;
}

class Vexattr : public testing::TestWithParam<ToolCase> {};

TEST_P(Vexattr, PrintsExactly) {
  const RunResult result = RunVexattr(GetParam().arguments);
  EXPECT_EQ(result.out, GetParam().out);
  EXPECT_EQ(result.err, GetParam().err);
  EXPECT_EQ(result.exitCode, GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(
    Store, Vexattr,
    testing::Values(
        ToolCase{"every_kind.txt",
                 "[MPEXPANSION] expansion\n"
                 "Extra = Int 1\n"
                 "[Settings]\n"
                 "Bounds = Rect (0, 0, 640, -480)\n"
                 "DamScale = Double 1.5\n"
                 "Delay = Range [0.5, 1]\n"
                 "Dir = Vector <1, 2.5, -300>\n"
                 "Friendly = Bool false\n"
                 "GameType = Int 3\n"
                 "Gravity = Float -9.81000042\n"
                 "Lives = Byte 44\n"
                 "Name = String \"Vex \\\"Arena\\\"\"\n"
                 "Port = Dword 27888\n"
                 "Spawn = Point (10, -20)\n"
                 "Speed = Float 0.100000001\n"
                 "maxPlayers = Int 16\n"
                 "[zeta]\n",
                 "", 0},
        ToolCase{"string_escapes.txt",
                 "[Text]\n"
                 "Control = String \"tab\\there\\x01\\x1f\x7f caf\xc3\xa9\"\n"
                 "Quote = String \"a \\\"b\\\" \\\\\\\\ c\"\n",
                 "", 0},
        ToolCase{"duplicate_symbol.txt", "[Maps]\nMap00 = String \"Arena\"\n",
                 "File \"duplicate_symbol.txt\", line 3 :  duplicate symbol encountered - map00\n",
                 0},
        ToolCase{"bad_symbol_on_line_3.txt", "",
                 "File \"bad_symbol_on_line_3.txt\", line 3 :  Bad symbol encountered.\n", 1},
        ToolCase{"two_duplicate_symbols.txt", "[Maps]\nMap00 = String \"Arena\"\n",
                 "File \"two_duplicate_symbols.txt\", line 3 :  duplicate symbol encountered - "
                 "map00\n"
                 "File \"two_duplicate_symbols.txt\", line 4 :  duplicate symbol encountered - "
                 "MAP00\n",
                 0},
        ToolCase{"symbol_before_tag.txt", "",
                 "vexattr: symbol_before_tag.txt: not an attribute file\n", 1},
        ToolCase{"no_such_file.txt", "", "vexattr: no_such_file.txt: No such file or directory\n",
                 1},
        ToolCase{"/dev/null", "", "vexattr: /dev/null: not a regular file (a character device)\n",
                 1}));

INSTANTIATE_TEST_SUITE_P(
    Tokens, Vexattr,
    testing::Values(
        ToolCase{"--tokens string_escapes.txt",
                 "1 TagOpen 0 \"[\"\n"
                 "1 Identifier 0 \"Text\"\n"
                 "1 TagClose 0 \"]\"\n"
                 "2 Identifier 0 \"Quote\"\n"
                 "2 Equals 0 \"=\"\n"
                 "2 String 0 \"a \\\"b\\\" \\\\\\\\ c\"\n"
                 "3 Identifier 0 \"Control\"\n"
                 "3 Equals 0 \"=\"\n"
                 "3 String 0 \"tab\\there\\x01\\x1f\x7f caf\xc3\xa9\"\n"
                 "3 EndOfFile 0 \"\"\n",
                 "", 0},
        ToolCase{"--tokens duplicate_symbol.txt",
                 "1 TagOpen 0 \"[\"\n1 Identifier 0 \"Maps\"\n1 TagClose 0 \"]\"\n"
                 "2 Identifier 0 \"Map00\"\n2 Equals 0 \"=\"\n2 String 0 \"Arena\"\n"
                 "3 Identifier 0 \"map00\"\n3 Equals 0 \"=\"\n3 String 0 \"Other\"\n"
                 "3 EndOfFile 0 \"\"\n",
                 "", 0},
        ToolCase{"--tokens unterminated_string_crlf.txt",
                 "1 TagOpen 0 \"[\"\n1 Identifier 0 \"Settings\"\n1 TagClose 0 \"]\"\n"
                 "2 Identifier 0 \"Name\"\n2 Equals 0 \"=\"\n",
                 "File \"unterminated_string_crlf.txt\", line 2 :  Bad symbol encountered.\n", 1},
        ToolCase{"--tokens no_such_file.txt", "",
                 "vexattr: no_such_file.txt: No such file or directory\n", 1},
        ToolCase{"--tokens .", "", "vexattr: .: not a regular file (a directory)\n", 1}));

TEST(VexattrUsage, HelpGoesToStandardOutputAndWrongArgumentsFail) {
  const RunResult help = RunVexattr("--help");
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: vexattr FILE"), std::string::npos);
  EXPECT_EQ(help.err, "");
  for (const char* wrong : {"", "--tokens", "--bogus every_kind.txt", "a.txt b.txt"}) {
    SCOPED_TRACE(wrong);
    const RunResult result = RunVexattr(wrong);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("Usage: vexattr FILE"), std::string::npos);
  }
}

}  // namespace
