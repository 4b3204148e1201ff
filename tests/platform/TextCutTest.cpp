#include <gtest/gtest.h>

#include <string>

#include "platform/TextCut.h"

namespace vex::platform {
namespace {

struct CutCase {
  const char* Name;
  std::string Text;
  std::size_t Limit;
  std::string Expected;
};

void PrintTo(const CutCase& c, std::ostream* os) {
  *os << c.Name;
}

class TextCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(TextCut, EndsBetweenCharactersAtOrBelowTheLimit) {
  EXPECT_EQ(CutAtCharacter(GetParam().Text, GetParam().Limit), GetParam().Expected);
}

// "é" is C3 A9, "€" E2 82 AC, "😀" F0 9F 98 80.
INSTANTIATE_TEST_SUITE_P(
    Cases, TextCut,
    ::testing::Values(CutCase{"ShortTextStaysWhole", "abc", 5, "abc"},
                      CutCase{"TextOfTheLimitStaysWhole", "ab\xC3\xA9", 4, "ab\xC3\xA9"},
                      CutCase{"AsciiIsCutAtTheLimit", "abcdef", 4, "abcd"},
                      CutCase{"CharacterEndingAtTheLimitStays", "ab\xC3\xA9x", 4, "ab\xC3\xA9"},
                      CutCase{"TwoByteCharacterAcrossTheLimitGoes", "abc\xC3\xA9", 4, "abc"},
                      CutCase{"ThreeByteCharacterAfterOneByte", "ab\xE2\x82\xAC", 3, "ab"},
                      CutCase{"ThreeByteCharacterAfterTwoBytes", "ab\xE2\x82\xAC", 4, "ab"},
                      CutCase{"FourByteCharacterAfterThreeBytes", "a\xF0\x9F\x98\x80", 4, "a"},
                      CutCase{"FourByteCharacterAfterOneByte", "a\xF0\x9F\x98\x80", 2, "a"},
                      CutCase{"LimitZero", "\xC3\xA9", 0, ""},
                      // Latin-1 "é" then "©": no UTF-8 character, cut at the limit.
                      CutCase{"SingleByteCodePageAtTheLimit", "caf\xE9\xA9", 4, "caf\xE9"},
                      CutCase{"LeadWithTooFewContinuations", "ab\xE2\x82x", 3, "ab\xE2"},
                      CutCase{"StrayContinuationBytes", "\x80\x80\x80\x80\x80", 3, "\x80\x80\x80"},
                      CutCase{"LeadTooFarBeforeTheLimit", "\xC3\xA9\xA9\xA9\xA9", 4,
                              "\xC3\xA9\xA9\xA9"}),
    [](const auto& testInfo) { return std::string(testInfo.param.Name); });

}  // namespace
}  // namespace vex::platform
