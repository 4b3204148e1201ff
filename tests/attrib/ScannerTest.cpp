#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "attrib/AttributeErrors.h"
#include "attrib/AttributeScanner.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

// Scans `input` to the end and renders the tokens as "Kind text" joined by " | ", Bool tokens
// with their value, the end as "EndOfFile@LINE" and a failure as "ERROR <last error text>".
std::string Scan(std::string_view input, std::int32_t characterOffset = 0,
                 int* messages = nullptr) {
  test::ScratchFolder files;
  const std::string path = files.Write("input.txt", input);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    return "cannot open";
  }
  static int reported = 0;
  reported = 0;
  AttributeErrorReporter errors;
  errors.SetCallback([](const char*) { ++reported; });
  AttributeScanner scanner(errors);
  scanner.Attach(file, characterOffset);
  scanner.ReadChar();
  std::string rendered;
  for (;;) {
    if (!rendered.empty()) {
      rendered += " | ";
    }
    if (!scanner.NextToken()) {
      rendered += "ERROR " + errors.LastError();
      break;
    }
    rendered += AttributeTokenName(scanner.Kind());
    if (scanner.Kind() == AttributeToken::Bool) {
      rendered += "=" + std::to_string(scanner.Value());
    }
    if (scanner.Kind() == AttributeToken::EndOfFile) {
      rendered += "@" + std::to_string(scanner.Line());
      break;
    }
    rendered += std::string(" ") + scanner.Text();
  }
  scanner.Detach();
  std::fclose(file);
  if (messages != nullptr) {
    *messages = reported;
  }
  return rendered;
}

struct ScanCase {
  const char* input;
  const char* tokens;
};

void PrintTo(const ScanCase& c, std::ostream* out) {
  *out << '"' << c.input << '"';
}

class TokenForms : public testing::TestWithParam<ScanCase> {};

TEST_P(TokenForms, ScanAsExpected) {
  EXPECT_EQ(Scan(GetParam().input), GetParam().tokens);
}

constexpr const char* kBadSymbolLine1 = "ERROR Line 1 :  Bad symbol encountered.";

INSTANTIATE_TEST_SUITE_P(
    TagsAndNames, TokenForms,
    testing::Values(
        ScanCase{"", "EndOfFile@1"},
        ScanCase{"[Settings]", "TagOpen [ | Identifier Settings | TagClose ] | EndOfFile@1"},
        ScanCase{"[ Settings]", kBadSymbolLine1},
        ScanCase{"[\tSettings]", "TagOpen [ | Identifier Settings | TagClose ] | EndOfFile@1"},
        ScanCase{"[", "TagOpen [ | EndOfFile@1"},
        ScanCase{"a=b", "Identifier a | Equals = | Identifier b | EndOfFile@1"},
        ScanCase{"_x1 x_2 2nd 12abc 12f 12e3 12_",
                 "Identifier _x1 | Identifier x_2 | Identifier 2nd | Identifier 12abc | "
                 "Identifier 12f | Identifier 12e3 | Identifier 12_ | EndOfFile@1"},
        ScanCase{"true True FALSE TRUEx",
                 "Bool=1 true | Bool=1 True | Bool=0 FALSE | Identifier TRUEx | EndOfFile@1"}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, TokenForms,
    testing::Values(
        ScanCase{"12 +12 -12", "Integer 12 | Integer +12 | NegativeInteger -12 | EndOfFile@1"},
        ScanCase{"+12abc", "Integer +12 | Identifier abc | EndOfFile@1"},
        ScanCase{"-7_", "NegativeInteger -7 | Identifier _ | EndOfFile@1"},
        ScanCase{"+12f -2F 12.5f 1.5e3F +1e2f",
                 "Float +12f | Float -2F | Float 12.5f | Float 1.5e3F | Float +1e2f | "
                 "EndOfFile@1"},
        ScanCase{"-1e5 1.5 +1.5 1.+5 2.5E-3 -0.5e+7",
                 "Double -1e5 | Double 1.5 | Double +1.5 | Double 1.+5 | Double 2.5E-3 | "
                 "Double -0.5e+7 | EndOfFile@1"},
        ScanCase{"1.5x", "Double 1.5 | Identifier x | EndOfFile@1"},
        ScanCase{"1.", kBadSymbolLine1}, ScanCase{"1. ", kBadSymbolLine1},
        ScanCase{"1.e5", kBadSymbolLine1}, ScanCase{"1.+", kBadSymbolLine1},
        ScanCase{"+1e", kBadSymbolLine1}, ScanCase{"-1e+", kBadSymbolLine1},
        ScanCase{"1.5e", kBadSymbolLine1}, ScanCase{".5", kBadSymbolLine1},
        ScanCase{"+", kBadSymbolLine1}, ScanCase{"- 1", kBadSymbolLine1}));

INSTANTIATE_TEST_SUITE_P(
    BracketedForms, TokenForms,
    testing::Values(ScanCase{"(1, -2)", "Point (1, -2) | EndOfFile@1"},
                    ScanCase{"(+1,2)", "Point (+1,2) | EndOfFile@1"},
                    ScanCase{"( 1 , 2 , 3 , 4 )", "Rect ( 1 , 2 , 3 , 4 ) | EndOfFile@1"},
                    ScanCase{"(1, 2, 3)", kBadSymbolLine1},
                    ScanCase{"(1, 2, 3, 4, 5)", kBadSymbolLine1},
                    ScanCase{"(1.5, 2)", kBadSymbolLine1}, ScanCase{"(1,\t2)", kBadSymbolLine1},
                    ScanCase{"(1, x)", kBadSymbolLine1}, ScanCase{"(1,\n2)", kBadSymbolLine1},
                    ScanCase{"()", kBadSymbolLine1},
                    ScanCase{"<1, 2.5, -3e2>", "Vector <1, 2.5, -3e2> | EndOfFile@1"},
                    ScanCase{"< +1 ,2.+5,3E1 >", "Vector < +1 ,2.+5,3E1 > | EndOfFile@1"},
                    ScanCase{"<1, 2>", kBadSymbolLine1}, ScanCase{"<1, 2, 3, 4>", kBadSymbolLine1},
                    ScanCase{"<1., 2, 3>", kBadSymbolLine1},
                    ScanCase{"[0.5, 1]", "Range [0.5, 1] | EndOfFile@1"},
                    ScanCase{"[ 0, 1 ]", "Range [ 0, 1 ] | EndOfFile@1"},
                    ScanCase{"[-1,+2e1]", "Range [-1,+2e1] | EndOfFile@1"},
                    ScanCase{"[1, 2, 3]", kBadSymbolLine1}, ScanCase{"[1]", kBadSymbolLine1},
                    ScanCase{"( dword )", "DwordPrefix ( dword ) | EndOfFile@1"},
                    ScanCase{"(Float)", "FloatPrefix (Float) | EndOfFile@1"},
                    ScanCase{"(  bYtE)", "BytePrefix (  bYtE) | EndOfFile@1"},
                    ScanCase{"(DWORDS)", kBadSymbolLine1}, ScanCase{"(DWOR)", kBadSymbolLine1},
                    ScanCase{"(FLOT)", kBadSymbolLine1}, ScanCase{"(BYTE", kBadSymbolLine1}));

INSTANTIATE_TEST_SUITE_P(
    StringsAndComments, TokenForms,
    testing::Values(ScanCase{"\"say \"\"hi\"\"\"", "String say \"hi\" | EndOfFile@1"},
                    ScanCase{"\"\" x", "String  | Identifier x | EndOfFile@1"},
                    ScanCase{"\"a\tb;{}\"", "String a\tb;{} | EndOfFile@1"},
                    ScanCase{"\"open\nx", kBadSymbolLine1}, ScanCase{"\"open\r\n", kBadSymbolLine1},
                    ScanCase{"\n\"open", "ERROR Line 2 :  Bad symbol encountered."},
                    ScanCase{"x // note", "Identifier x | EndOfFile@1"},
                    ScanCase{"a // note\nb", "Identifier a | Identifier b | EndOfFile@2"},
                    ScanCase{"/* one\n two */ z", "Identifier z | EndOfFile@2"},
                    ScanCase{"/* x ***/a /**/b", "Identifier a | Identifier b | EndOfFile@1"},
                    ScanCase{"/* a */* b", kBadSymbolLine1},
                    ScanCase{"/* open\n\n", "ERROR Line 2 :  Bad symbol encountered."},
                    ScanCase{"/ x", kBadSymbolLine1},
                    ScanCase{"x/", "Identifier x | ERROR Line 1 :  Bad symbol encountered."}));

INSTANTIATE_TEST_SUITE_P(
    LinesAndCarriageReturns, TokenForms,
    testing::Values(
        ScanCase{"a\nb\n\nc", "Identifier a | Identifier b | Identifier c | EndOfFile@4"},
        ScanCase{"a\n", "Identifier a | EndOfFile@1"}, ScanCase{"\n\n", "EndOfFile@2"},
        ScanCase{"[A]\r\nx = 1\r\n",
                 "TagOpen [ | Identifier A | TagClose ] | Identifier x | Equals = | "
                 "Integer 1 | EndOfFile@2"},
        ScanCase{"x\r= \r1.5\r\n", "Identifier x | Equals = | Double 1.5 | EndOfFile@1"}));

TEST(Scanner, EveryCharacterThatStartsNoTokenFails) {
  std::string starts = "&)*.:;>{}|,#~`@\\'!^%$?";
  for (int byte : {1, 8, 11, 12, 14, 31, 127, 128, 200, 255}) {
    starts += static_cast<char>(byte);
  }
  for (char c : starts) {
    SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c)));
    EXPECT_EQ(Scan(std::string("x\n") + c),
              "Identifier x | ERROR Line 2 :  Bad symbol encountered.");
  }
}

TEST(Scanner, BadCharacterAfterSkippedTextGivesOneMessageWithItsLine) {
  int messages = 0;
  EXPECT_EQ(Scan("  // a\n/* b\n */\t\n  ;", 0, &messages),
            "ERROR Line 4 :  Bad symbol encountered.");
  EXPECT_EQ(messages, 1);
}

TEST(Scanner, TokensCrossTheReadBlocks) {
  const std::string longName(600, 'n');
  const std::string text(300, 't');
  const std::string input = std::string(250, ' ') + longName + "\n\"" + text + "\"\n";
  EXPECT_EQ(Scan(input), "Identifier " + longName + " | String " + text + " | EndOfFile@2");
}

// Comment bodies and white space pass in runs; their line breaks, some of them at the ends of
// read blocks, must still count for the line of a later error.
TEST(Scanner, LinesInsideLongCommentsAndWhiteSpaceCountAcrossTheReadBlocks) {
  std::string comment = "/*";
  for (int line = 0; line < 100; ++line) {
    comment += "line of the comment\n";
  }
  comment += "*/\n";
  const std::string input =
      comment + std::string(300, ' ') + "\n\r\n\t\nx\n// " + std::string(600, 'c') + "\n#";
  EXPECT_EQ(Scan(input), "Identifier x | ERROR Line 107 :  Bad symbol encountered.");
}

TEST(Scanner, EndOfInputAtABlockBoundaryKeepsTheLastLine) {
  for (std::size_t size : {254u, 255u, 256u, 510u}) {
    SCOPED_TRACE(size);
    const std::string input = std::string(size - 2, ' ') + "x\n";
    EXPECT_EQ(Scan(input), "Identifier x | EndOfFile@1");
  }
}

TEST(Scanner, TokenTextIsBoundedAndALongerTokenIsAnError) {
  const std::size_t most = AttributeScanner::kMaxTokenLength;
  const std::string name(most, 'a');
  EXPECT_EQ(Scan(name), "Identifier " + name + " | EndOfFile@1");
  EXPECT_EQ(Scan("\n" + name + "a"), "ERROR Line 2 :  Token too long.");
  const std::string text(most, 's');
  EXPECT_EQ(Scan("\"" + text + "\""), "String " + text + " | EndOfFile@1");
  EXPECT_EQ(Scan("\"" + text + "s\""), "ERROR Line 1 :  Token too long.");
  EXPECT_EQ(Scan("(" + std::string(most, ' ') + "1,2)"), "ERROR Line 1 :  Token too long.");
  // Comments and whitespace keep no text, so their length does not matter.
  EXPECT_EQ(Scan("// " + std::string(3 * most, 'c') + "\n/*" + std::string(3 * most, '*') + "/" +
                 std::string(3 * most, ' ') + "x"),
            "Identifier x | EndOfFile@2");
}

TEST(Scanner, ZeroByteInTheFileIsAnErrorNotTheEnd) {
  using namespace std::string_literals;
  EXPECT_EQ(Scan("a\n\0b"s), "Identifier a | ERROR Line 2 :  Zero byte encountered.");
  EXPECT_EQ(Scan("ab\0"s), "ERROR Line 1 :  Zero byte encountered.");
  EXPECT_EQ(Scan("\"a\0b\""s), "ERROR Line 1 :  Zero byte encountered.");
  EXPECT_EQ(Scan("// a\0b\n"s), "ERROR Line 1 :  Zero byte encountered.");
}

TEST(Scanner, CharacterOffsetIsSubtractedFromEveryByte) {
  std::string shifted;
  for (char c : std::string("[A]\nx = -1\n")) {
    shifted += static_cast<char>(c + 3);
  }
  EXPECT_EQ(Scan(shifted, 3),
            "TagOpen [ | Identifier A | TagClose ] | Identifier x | Equals = | "
            "NegativeInteger -1 | EndOfFile@2");
}

}  // namespace
}  // namespace vex
