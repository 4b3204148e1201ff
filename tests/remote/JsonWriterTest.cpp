#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include "remote/JsonWriter.h"

namespace vex::remote {
namespace {

struct EscapeCase {
  std::string Name;
  std::string In;
  std::string Out;  // the JSON string, quotes included
};

void PrintTo(const EscapeCase& row, std::ostream* out) {
  *out << row.Name;
}

class JsonStrings : public ::testing::TestWithParam<EscapeCase> {};

// Whatever bytes a player's name or an engine line holds, the text is valid JSON and a browser's
// parser reads back the same characters, or U+FFFD where a byte was no part of UTF-8.
TEST_P(JsonStrings, AreValidJsonWhateverTheBytes) {
  EXPECT_EQ(JsonWriter().String(GetParam().In).Text(), GetParam().Out);
}

const std::string kReplacement = "\xEF\xBF\xBD";

INSTANTIATE_TEST_SUITE_P(
    Bytes, JsonStrings,
    ::testing::Values(
        EscapeCase{"Markup", "<img src=x onerror=alert(1)>", "\"<img src=x onerror=alert(1)>\""},
        EscapeCase{"QuoteAndBackslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
        EscapeCase{"ControlBytes", std::string("\0\n\t\r\x1b\x1f\x7f", 7),
                   "\"\\u0000\\n\\t\\u000d\\u001b\\u001f\\u007f\""},
        EscapeCase{"TwoThreeAndFourByteCharacters", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAE",
                   "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xAE\""},
        EscapeCase{"StrayAndCutBytes",
                   "\xFF"
                   "a\xC3",
                   "\"" + kReplacement + "a" + kReplacement + "\""},
        EscapeCase{"Surrogate", "\xED\xA0\x80",
                   "\"" + kReplacement + kReplacement + kReplacement + "\""},
        EscapeCase{"OverlongSlash", "\xC0\xAF", "\"" + kReplacement + kReplacement + "\""}),
    [](const auto& testInfo) { return testInfo.param.Name; });

TEST(JsonWriter, PutsCommasBetweenMembersAndItemsAtEveryDepth) {
  JsonWriter json;
  json.BeginObject();
  json.Key("server").BeginObject().Key("name").String("Vex").Key("up").Bool(true).EndObject();
  json.Key("players").BeginArray();
  for (int id : {1, -2}) {
    json.BeginObject().Key("id").Integer(id).Key("ringed").Bool(false).EndObject();
  }
  json.EndArray();
  json.Key("empty").BeginArray().EndArray();
  json.Key("fps").Number(30.26, 1).Key("slowest").Number(0.04, 1);
  json.Key("infinite").Number(std::numeric_limits<double>::infinity(), 1);
  json.Key("nan").Number(std::nan(""), 1);
  json.EndObject();
  EXPECT_EQ(json.Text(),
            "{\"server\":{\"name\":\"Vex\",\"up\":true},"
            "\"players\":[{\"id\":1,\"ringed\":false},{\"id\":-2,\"ringed\":false}],"
            "\"empty\":[],\"fps\":30.3,\"slowest\":0.0,\"infinite\":null,\"nan\":null}");
}

}  // namespace
}  // namespace vex::remote
