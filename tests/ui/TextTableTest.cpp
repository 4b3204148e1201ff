#include <gtest/gtest.h>

#include "ui/TextTable.h"

namespace vex {
namespace {

struct TableCase {
  const char* Name;
  std::vector<std::vector<std::string>> Rows;
  const char* Expected;
};

void PrintTo(const TableCase& c, std::ostream* out) {
  *out << c.Name;
}

class TextTableTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(TextTableTest, AlignsColumnsAndTrimsTrailingBlanks) {
  EXPECT_EQ(FormatTextTable(GetParam().Rows), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TextTableTest,
    ::testing::Values(TableCase{"WidestCellSetsTheColumn",
                                {{"ID", "Name", "Ping"}, {"7", "Grunt", "40"}, {"12", "Al", "105"}},
                                "ID  Name   Ping\n"
                                "7   Grunt  40\n"
                                "12  Al     105\n"},
                      TableCase{"EmptyLastCellLeavesNoBlanks",
                                {{"N", "", "World"}, {"0", "*", ""}},
                                "N     World\n"
                                "0  *\n"},
                      TableCase{"ShortRowKeepsItsCells",
                                {{"a", "bb", "c"}, {"dddd"}},
                                "a     bb  c\n"
                                "dddd\n"},
                      TableCase{"NoRows", {}, ""}),
    [](const auto& testInfo) { return std::string(testInfo.param.Name); });

}  // namespace
}  // namespace vex
