#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "attrib/AttributeFile.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

std::string Located(const std::string& path, int line, const std::string& message) {
  return "File \"" + path + "\", line " + std::to_string(line) + " :  " + message;
}

struct ParseCase {
  const char* content;
  bool parses;
  int line;             // of the last message
  const char* message;  // the last message, empty when there is none
};

void PrintTo(const ParseCase& c, std::ostream* out) {
  *out << '"' << c.content << '"';
}

class ParseOutcome : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseOutcome, ResultAndLastError) {
  const ParseCase& c = GetParam();
  test::ScratchFolder files;
  const std::string path = files.Write("cfg.txt", c.content);
  CAttributeFile file;
  EXPECT_EQ(file.Parse(path), c.parses);
  EXPECT_EQ(file.LastError(), *c.message == '\0' ? "" : Located(path, c.line, c.message));
}

constexpr const char* kFormat = "A formatting error in the attribute file was encountered";
constexpr const char* kFormatAfterSymbol =
    "A formatting error in the attribute file was encountered.";
constexpr const char* kInvalid = "Invalid token encountered.";

INSTANTIATE_TEST_SUITE_P(
    Grammar, ParseOutcome,
    testing::Values(
        ParseCase{"", true, 0, ""}, ParseCase{"// only\n/* comments */\n  \n", true, 0, ""},
        ParseCase{"[Settings]", true, 0, ""},
        ParseCase{"[A]\nx = 1\n[B]\n[C]\ny=\n\n  2", true, 0, ""},
        ParseCase{"Key = 5\n", false, 0, ""}, ParseCase{"\"x\"", false, 0, ""},
        ParseCase{"[A]\n=", false, 0, ""}, ParseCase{"[A]\n5 = 1", false, 0, ""},
        ParseCase{"[True]", false, 1, kFormat}, ParseCase{"[]", false, 1, kFormat},
        ParseCase{"[\n5]", false, 2, kFormat}, ParseCase{"[A", false, 1, kFormat},
        ParseCase{"[A x", false, 1, kFormat}, ParseCase{"[A]\nx 5", false, 2, kFormat},
        ParseCase{"[A]\nx\n", false, 2, kFormat},
        ParseCase{"[A]\nx = 1\n= 2", false, 3, kFormatAfterSymbol},
        ParseCase{"[A]\nx = 1\n\"s\"", false, 3, kFormatAfterSymbol},
        ParseCase{"[A]\nx = 1 ]", false, 2, kFormatAfterSymbol},
        ParseCase{"[A]\nName = Bob", false, 2, kInvalid},
        ParseCase{"[A]\nx = ]", false, 2, kInvalid}, ParseCase{"[A]\nx = =", false, 2, kInvalid},
        ParseCase{"[A]\nx = [B]", false, 2, kInvalid}, ParseCase{"[A]\nx =", false, 2, kInvalid},
        ParseCase{"[A]\nx = (DWORD) -1", false, 2, kFormat},
        ParseCase{"[A]\nx = (DWORD) 1.5", false, 2, kFormat},
        ParseCase{"[A]\nx = (BYTE) 1.5", false, 2, kFormat},
        ParseCase{"[A]\nx = (FLOAT) 2", false, 2, kFormat},
        ParseCase{"[A]\nx = (FLOAT) 2.5f", false, 2, kFormat},
        ParseCase{"[A]\nx = (FLOAT)\n(FLOAT) 1.5", false, 3, kFormat},
        ParseCase{"[Settings]\n[SETTINGS]", false, 2, "Duplicate tag encountered - SETTINGS"},
        ParseCase{"[MPEXPANSION]\n[mpexpansion]", false, 2,
                  "Duplicate tag encountered - mpexpansion"},
        ParseCase{"[A]\n\n\n\n\nx = 1\ny = @", false, 7, "Bad symbol encountered."},
        ParseCase{"[Maps]\nA = 1\na = 2", true, 3, "duplicate symbol encountered - a"},
        ParseCase{"[Maps]\nA = 1\na = Bob", false, 3, kInvalid},
        ParseCase{"[Maps]\nA = 1\na = 2\nb = 3\nB = 4", true, 5,
                  "duplicate symbol encountered - B"}));

// The value a symbol holds, as "Kind value", through the store listing.
std::string Stored(const CAttributeFile& file, std::string_view tag, std::string_view symbol) {
  for (const AttributeTagListing& listed : file.ListStore()) {
    if (listed.name != tag) {
      continue;
    }
    for (const auto& [name, record] : listed.symbols) {
      if (name != symbol) {
        continue;
      }
      EXPECT_EQ(record->owner, &file);
      const std::string kind = AttributeTypeName(record->type);
      char number[64];
      switch (record->type) {
        case AttributeType::Int:
          return kind + " " + std::to_string(record->intValue);
        case AttributeType::Dword:
          return kind + " " + std::to_string(record->dwordValue);
        case AttributeType::Byte:
          return kind + " " + std::to_string(record->byteValue);
        case AttributeType::Bool:
          return kind + (record->boolValue ? " true" : " false");
        case AttributeType::Double:
          std::snprintf(number, sizeof number, " %.17g", record->doubleValue);
          return kind + number;
        case AttributeType::Float:
          std::snprintf(number, sizeof number, " %.9g", static_cast<double>(record->floatValue));
          return kind + number;
        case AttributeType::String:
          return kind + " " + *record->stringValue;
        case AttributeType::Rect: {
          const AttributeRect& r = *record->rectValue;
          return kind + " " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
                 std::to_string(r.right) + "," + std::to_string(r.bottom);
        }
        case AttributeType::Point:
          return kind + " " + std::to_string(record->pointValue->x) + "," +
                 std::to_string(record->pointValue->y);
        case AttributeType::Vector:
          std::snprintf(number, sizeof number, " %g,%g,%g", record->vectorValue->x,
                        record->vectorValue->y, record->vectorValue->z);
          return kind + number;
        case AttributeType::Range:
          std::snprintf(number, sizeof number, " %g,%g", record->rangeValue->low,
                        record->rangeValue->high);
          return kind + number;
      }
    }
  }
  return "missing";
}

struct ValueCase {
  const char* text;
  const char* stored;
};

void PrintTo(const ValueCase& c, std::ostream* out) {
  *out << '"' << c.text << '"';
}

class StoredValue : public testing::TestWithParam<ValueCase> {};

TEST_P(StoredValue, ConvertedByKind) {
  test::ScratchFolder files;
  const std::string path = files.Write("v.txt", std::string("[T]\nV = ") + GetParam().text);
  CAttributeFile file;
  ASSERT_TRUE(file.Parse(path)) << file.LastError();
  EXPECT_EQ(Stored(file, "T", "V"), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StoredValue,
    testing::Values(
        ValueCase{"42", "Int 42"}, ValueCase{"+42", "Int 42"}, ValueCase{"-42", "Int -42"},
        ValueCase{"TRUE", "Bool true"}, ValueCase{"false", "Bool false"},
        ValueCase{"1.5", "Double 1.5"}, ValueCase{"-2e3", "Double -2000"},
        ValueCase{"1.+5", "Double 1"}, ValueCase{"1.5f", "Float 1.5"}, ValueCase{"+2f", "Float 2"},
        ValueCase{"(FLOAT) 0.1", "Float 0.100000001"},
        ValueCase{"\"say \"\"hi\"\"\"", "String say \"hi\""}, ValueCase{"\"\"", "String "},
        ValueCase{"(1 , 2)", "Point 1,2"}, ValueCase{"(-1,+2,  3 ,-4)", "Rect -1,2,3,-4"},
        ValueCase{"<1, 2.5, -3e2>", "Vector 1,2.5,-300"}, ValueCase{"[ 0.5 , 1 ]", "Range 0.5,1"},
        ValueCase{"(DWORD) 4000000000", "Dword 4000000000"}, ValueCase{"( dword ) +7", "Dword 7"},
        ValueCase{"(BYTE) 300", "Byte 44"}, ValueCase{"(BYTE) 255", "Byte 255"}));

// Texts beyond the 32-bit range saturate as strtol and strtoul do; a Byte then keeps the low
// 8 bits of the saturated value; doubles beyond range become infinities or zero.
INSTANTIATE_TEST_SUITE_P(
    OutOfRange, StoredValue,
    testing::Values(ValueCase{"2147483647", "Int 2147483647"},
                    ValueCase{"2147483648", "Int 2147483647"},
                    ValueCase{"-2147483648", "Int -2147483648"},
                    ValueCase{"-99999999999999999999999", "Int -2147483648"},
                    ValueCase{"(DWORD) 4294967296", "Dword 4294967295"},
                    ValueCase{"(DWORD) 99999999999999999999999", "Dword 4294967295"},
                    ValueCase{"(BYTE) 99999999999", "Byte 255"},
                    ValueCase{"(99999999999, -99999999999)", "Point 2147483647,-2147483648"},
                    ValueCase{"+1e999", "Double inf"}, ValueCase{"-1.5e999", "Double -inf"},
                    ValueCase{"+1e-999", "Double 0"}, ValueCase{"0.0000001e-400", "Double 0"},
                    ValueCase{"+1e300f", "Float inf"}, ValueCase{"(FLOAT) -1e300", "Float -inf"},
                    ValueCase{"3.4028235e38f", "Float 3.40282347e+38"},
                    ValueCase{"(FLOAT) -3.4028235e38", "Float -3.40282347e+38"},
                    ValueCase{"3.4028236e38f", "Float inf"},
                    ValueCase{"<1e999, 0, 0>", "Vector inf,0,0"}));

TEST(Parser, DuplicateSymbolKeepsTheFirstValueAcrossLetterCase) {
  test::ScratchFolder files;
  const std::string path = files.Write("maps.txt", "[Maps]\nA = 1\na = (1, 2)\nB = 3\n");
  CAttributeFile file;
  EXPECT_TRUE(file.Parse(path));
  EXPECT_EQ(Stored(file, "Maps", "A"), "Int 1");
  EXPECT_EQ(Stored(file, "Maps", "B"), "Int 3");
  EXPECT_EQ(file.ListStore().front().symbols.size(), 2u);
}

TEST(Parser, ExpansionTagsAreThoseNamingExpansionInCapitals) {
  test::ScratchFolder files;
  const std::string path =
      files.Write("x.txt", "[MPEXPANSION]\n[mpexpansion2]\n[MyEXPANSIONPack]\n[Expansion]\n");
  CAttributeFile file;
  ASSERT_TRUE(file.Parse(path));
  std::vector<std::pair<std::string, bool>> tags;
  for (const AttributeTagListing& tag : file.ListStore()) {
    tags.emplace_back(std::string(tag.name), tag.expansion);
  }
  std::sort(tags.begin(), tags.end());
  EXPECT_EQ(tags, (std::vector<std::pair<std::string, bool>>{{"Expansion", false},
                                                             {"MPEXPANSION", true},
                                                             {"MyEXPANSIONPack", true},
                                                             {"mpexpansion2", false}}));
}

TEST(Parser, TagsReadBeforeAnErrorStayAndASecondParseAddsToTheStore) {
  test::ScratchFolder files;
  const std::string first = files.Write("first.txt", "[Settings]\nA = 1\n[Broken\n");
  const std::string second = files.Write("second.txt", "[Other]\nB = 2\n");
  CAttributeFile file;
  EXPECT_FALSE(file.Parse(first));
  EXPECT_TRUE(file.Exists("Settings", "A"));
  EXPECT_TRUE(file.Parse(second));
  EXPECT_TRUE(file.Exists("Other", "B"));
  EXPECT_TRUE(file.Exists("Settings", "A"));
  EXPECT_FALSE(file.Parse(second));
  EXPECT_EQ(file.LastError(), Located(second, 1, "Duplicate tag encountered - Other"));
}

// The line of the name, also when the value stands on a later line; a duplicate keeps the
// first one's.
TEST(Parser, EachSymbolKnowsTheLineOfItsName) {
  test::ScratchFolder files;
  const std::string path =
      files.Write("lines.txt", "// comment\n[Settings]\n\nA = 1\nB =\n  \"two\"\na = 3\n");
  CAttributeFile file;
  ASSERT_TRUE(file.Parse(path));
  EXPECT_EQ(file.SymbolLine("Settings", "A"), 4);
  EXPECT_EQ(file.SymbolLine("settings", "b"), 5);
  EXPECT_EQ(file.SymbolLine("Settings", "C"), 0);
  EXPECT_EQ(file.SymbolLine("Missing", "A"), 0);
  EXPECT_EQ(file.FileName(), path);
}

TEST(Parser, FileThatCannotBeOpenedFailsSilentlyAndChangesNothing) {
  test::ScratchFolder files;
  const std::string good = files.Write("good.txt", "[A]\nx = 1\ny = @\n");
  CAttributeFile file;
  EXPECT_FALSE(file.Parse(good));
  const std::string before = file.LastError();
  EXPECT_FALSE(file.Parse((files.Path() / "missing.txt").string()));
  EXPECT_FALSE(file.Parse(files.Path().string()));
  EXPECT_EQ(file.LastError(), before);
  EXPECT_EQ(file.GetInt("A", "x", 0), 1);
}

std::vector<std::string> callbackMessages;

TEST(Parser, CallbackReceivesEveryMessageInItsLocatedForm) {
  test::ScratchFolder files;
  const std::string path = files.Write("cb.txt", "[M]\nA = 1\nA = 2\nB = 1\nb = 2\n");
  callbackMessages.clear();
  CAttributeFile file;
  file.SetErrorCallback([](const char* message) { callbackMessages.emplace_back(message); });
  EXPECT_TRUE(file.Parse(path));
  EXPECT_EQ(callbackMessages,
            (std::vector<std::string>{Located(path, 3, "duplicate symbol encountered - A"),
                                      Located(path, 5, "duplicate symbol encountered - b")}));
  file.SetErrorCallback(nullptr);
  file.GetInt("M", "missing");
  EXPECT_EQ(callbackMessages.size(), 2u);
}

}  // namespace
}  // namespace vex
