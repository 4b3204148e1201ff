#include <gtest/gtest.h>

#include "ui/FormatSpan.h"

namespace vex {
namespace {

struct SpanCase {
  std::int32_t Seconds;
  const char* Text;
};

void PrintTo(const SpanCase& c, std::ostream* out) {
  *out << c.Seconds << " s";
}

class FormatSpanTable : public testing::TestWithParam<SpanCase> {};

TEST_P(FormatSpanTable, Formats) {
  EXPECT_EQ(FormatSpan(GetParam().Seconds), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, FormatSpanTable,
    testing::Values(SpanCase{0, "00m:00s"}, SpanCase{59, "00m:59s"}, SpanCase{3599, "59m:59s"},
                    SpanCase{3600, "01h:00m:00s"}, SpanCase{3725, "01h:02m:05s"},
                    SpanCase{86399, "23h:59m:59s"}, SpanCase{86400, "1d:00h:00m:00s"},
                    SpanCase{90061, "1d:01h:01m:01s"}, SpanCase{1000000, "11d:13h:46m:40s"},
                    SpanCase{-65, "-1m:-5s"}, SpanCase{-3725, "-2m:-5s"},
                    SpanCase{2147483647, "24855d:03h:14m:07s"},
                    SpanCase{-2147483647 - 1, "-14m:-8s"}));

}  // namespace
}  // namespace vex
