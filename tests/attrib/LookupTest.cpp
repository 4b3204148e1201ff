#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "attrib/AttributeFile.h"
#include "tests/support/ScratchFolder.h"

namespace vex {
namespace {

// One symbol of every kind, on lines 2 to 12; the file ends on line 13.
constexpr const char* kEveryKind =
    "[Kinds]\n"
    "Int = -7\n"
    "Dword = (DWORD) 7\n"
    "Byte = (BYTE) 7\n"
    "Bool = TRUE\n"
    "Double = 1.5\n"
    "Float = 2.5f\n"
    "String = \"text\"\n"
    "Rect = (1, 2, 3, 4)\n"
    "Point = (5, 6)\n"
    "Vector = <1, 2, 3>\n"
    "Range = [0.25, 0.75]\n"
    "[Deathmatch]\n";

std::vector<std::string> messages;

class Lookups : public testing::Test {
 protected:
  void SetUp() override {
    path_ = files_.Write("kinds.txt", kEveryKind);
    ASSERT_TRUE(file_.Parse(path_)) << file_.LastError();
    messages.clear();
    file_.SetErrorCallback([](const char* message) { messages.emplace_back(message); });
  }

  std::string Located(const std::string& message) const {
    return "File \"" + path_ + "\", line 13 :  " + message;
  }

  test::ScratchFolder files_;
  std::string path_;
  CAttributeFile file_;
};

struct Getter {
  const char* name;
  std::vector<const char*> accepts;
  std::function<void(CAttributeFile&, const char*)> call;
};

TEST_F(Lookups, EachLookupAcceptsOnlyItsKinds) {
  const std::vector<const char*> symbols = {"Int",    "Dword", "Byte",  "Bool",   "Double", "Float",
                                            "String", "Rect",  "Point", "Vector", "Range"};
  const std::vector<Getter> getters = {
      {"GetInt", {"Int"}, [](CAttributeFile& f, const char* s) { f.GetInt("Kinds", s, 0); }},
      {"GetDword", {"Dword"}, [](CAttributeFile& f, const char* s) { f.GetDword("Kinds", s, 0); }},
      {"GetByte", {"Byte"}, [](CAttributeFile& f, const char* s) { f.GetByte("Kinds", s, 0); }},
      {"GetBool", {"Bool"}, [](CAttributeFile& f, const char* s) { f.GetBool("Kinds", s, 0); }},
      {"GetFloat",
       {"Int", "Float"},
       [](CAttributeFile& f, const char* s) { f.GetFloat("Kinds", s, 0.0f); }},
      {"GetDouble",
       {"Int", "Double"},
       [](CAttributeFile& f, const char* s) { f.GetDouble("Kinds", s, 0.0); }},
      {"GetString",
       {"String"},
       [](CAttributeFile& f, const char* s) { f.GetString("Kinds", s, ""); }},
      {"GetRect", {"Rect"}, [](CAttributeFile& f, const char* s) { f.GetRect("Kinds", s, {}); }},
      {"GetPoint", {"Point"}, [](CAttributeFile& f, const char* s) { f.GetPoint("Kinds", s, {}); }},
      {"GetVector",
       {"Vector"},
       [](CAttributeFile& f, const char* s) { f.GetVector("Kinds", s, {}); }},
      {"GetRange", {"Range"}, [](CAttributeFile& f, const char* s) { f.GetRange("Kinds", s, {}); }},
  };
  for (const Getter& getter : getters) {
    for (const char* symbol : symbols) {
      SCOPED_TRACE(std::string(getter.name) + " on " + symbol);
      const bool accepted =
          std::find_if(getter.accepts.begin(), getter.accepts.end(), [&](const char* kind) {
            return std::string(kind) == symbol;
          }) != getter.accepts.end();
      messages.clear();
      getter.call(file_, symbol);
      EXPECT_EQ(file_.Success(), accepted);
      EXPECT_EQ(messages, accepted ? std::vector<std::string>{}
                                   : std::vector<std::string>{Located(
                                         std::string("Type mismatch - [Kinds]:") + symbol)});
    }
  }
}

TEST_F(Lookups, AcceptedKindsAnswerTheirValues) {
  EXPECT_EQ(file_.GetInt("Kinds", "Int", 0), -7);
  EXPECT_EQ(file_.GetFloat("Kinds", "Int", 0.0f), -7.0f);
  EXPECT_EQ(file_.GetDouble("Kinds", "Int", 0.0), -7.0);
  EXPECT_EQ(file_.GetDword("Kinds", "Dword"), 7u);
  EXPECT_EQ(file_.GetByte("Kinds", "Byte"), 7);
  EXPECT_TRUE(file_.GetBool("Kinds", "Bool"));
  EXPECT_EQ(file_.GetDouble("Kinds", "Double"), 1.5);
  EXPECT_EQ(file_.GetFloat("Kinds", "Float"), 2.5f);
  EXPECT_EQ(file_.GetString("Kinds", "String"), "text");
  const AttributeRect& rect = file_.GetRect("Kinds", "Rect");
  EXPECT_EQ((std::vector{rect.left, rect.top, rect.right, rect.bottom}), (std::vector{1, 2, 3, 4}));
  EXPECT_EQ(&file_.GetRect("Kinds", "Rect", {}), &rect);
  const AttributePoint& point = file_.GetPoint("Kinds", "Point");
  EXPECT_EQ((std::vector{point.x, point.y}), (std::vector{5, 6}));
  const AttributeVector& vector = file_.GetVector("Kinds", "Vector");
  EXPECT_EQ((std::vector{vector.x, vector.y, vector.z}), (std::vector{1.0, 2.0, 3.0}));
  const AttributeRange& range = file_.GetRange("Kinds", "Range");
  EXPECT_EQ((std::vector{range.low, range.high}), (std::vector{0.25, 0.75}));
  EXPECT_TRUE(file_.Success());
  EXPECT_TRUE(messages.empty());
}

TEST_F(Lookups, MissingSymbolWithoutDefaultGivesTheFallbackAndOneMessage) {
  const std::vector<std::pair<const char*, std::function<bool(CAttributeFile&)>>> cases = {
      {"GetInt",
       [](CAttributeFile& f) {
         return f.GetInt("Kinds", "Nope") == std::numeric_limits<std::int32_t>::min();
       }},
      {"GetDword", [](CAttributeFile& f) { return f.GetDword("Kinds", "Nope") == 0u; }},
      {"GetByte", [](CAttributeFile& f) { return f.GetByte("Kinds", "Nope") == 0; }},
      {"GetBool", [](CAttributeFile& f) { return !f.GetBool("Kinds", "Nope"); }},
      {"GetFloat",
       [](CAttributeFile& f) { return f.GetFloat("Kinds", "Nope") == 1.17549435e-38f; }},
      {"GetDouble",
       [](CAttributeFile& f) { return f.GetDouble("Kinds", "Nope") == 2.2250738585072014e-308; }},
      {"GetString", [](CAttributeFile& f) { return f.GetString("Kinds", "Nope").empty(); }},
      {"GetRect",
       [](CAttributeFile& f) {
         const AttributeRect& r = f.GetRect("Kinds", "Nope");
         return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0 &&
                &r == &f.GetRect("Tagless", "Nope");
       }},
      {"GetPoint",
       [](CAttributeFile& f) {
         const AttributePoint& p = f.GetPoint("Kinds", "Nope");
         return p.x == 0 && p.y == 0 && &p == &f.GetPoint("Tagless", "Nope");
       }},
      {"GetVector",
       [](CAttributeFile& f) {
         const AttributeVector& v = f.GetVector("Kinds", "Nope");
         return v.x == 0.0 && v.y == 0.0 && v.z == 0.0 && &v == &f.GetVector("Tagless", "Nope");
       }},
      {"GetRange",
       [](CAttributeFile& f) {
         const AttributeRange& r = f.GetRange("Kinds", "Nope");
         return r.low == 0.0 && r.high == 0.0 && &r == &f.GetRange("Tagless", "Nope");
       }},
  };
  for (const auto& [name, check] : cases) {
    SCOPED_TRACE(name);
    messages.clear();
    file_.GetInt("Kinds", "Int", 0);
    EXPECT_TRUE(check(file_));
    EXPECT_FALSE(file_.Success());
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.front(), Located("Symbol not found - [Kinds]:Nope"));
  }
}

TEST_F(Lookups, WrongKindWithoutDefaultReportsMismatchThenNotFound) {
  EXPECT_EQ(file_.GetInt("Kinds", "Byte"), std::numeric_limits<std::int32_t>::min());
  EXPECT_FALSE(file_.Success());
  EXPECT_EQ(messages, (std::vector<std::string>{Located("Type mismatch - [Kinds]:Byte"),
                                                Located("Symbol not found - [Kinds]:Byte")}));
  EXPECT_EQ(file_.LastError(), Located("Symbol not found - [Kinds]:Byte"));
}

TEST_F(Lookups, MissingSymbolWithDefaultIsSilentAndAnswersTheDefault) {
  const AttributePoint fallback{9, 9};
  EXPECT_EQ(file_.GetInt("Kinds", "Nope", 42), 42);
  EXPECT_EQ(file_.GetString("Nope", "String", "dflt"), "dflt");
  EXPECT_EQ(&file_.GetPoint("Kinds", "Nope", fallback), &fallback);
  EXPECT_EQ(file_.GetBool("Kinds", "Double", true), true);
  EXPECT_FALSE(file_.Success());
  EXPECT_EQ(messages, std::vector<std::string>{Located("Type mismatch - [Kinds]:Double")});
}

TEST_F(Lookups, NamesMatchIgnoringCaseAndMessagesUseTheCallersSpelling) {
  EXPECT_EQ(file_.GetInt("kINDS", "iNT", 0), -7);
  EXPECT_TRUE(file_.Success());
  file_.GetBool("kINDS", "iNT", false);
  EXPECT_EQ(file_.LastError(), Located("Type mismatch - [kINDS]:iNT"));
}

TEST_F(Lookups, SuccessFollowsTheLastLookupAndExistsLeavesItAlone) {
  EXPECT_FALSE(file_.GetBool("Kinds", "Nope", false));
  EXPECT_FALSE(file_.Success());
  EXPECT_TRUE(file_.Exists("Deathmatch", nullptr));
  EXPECT_FALSE(file_.Success());
  EXPECT_EQ(file_.GetInt("Kinds", "Int", 0), -7);
  EXPECT_TRUE(file_.Success());
  EXPECT_FALSE(file_.Exists("Deathmatch", "Map00"));
  EXPECT_TRUE(file_.Success());
  EXPECT_TRUE(file_.Exists("kinds", "STRING"));
  EXPECT_FALSE(file_.Exists("Nope", nullptr));
  EXPECT_FALSE(file_.Exists(nullptr, "Int"));
  EXPECT_TRUE(messages.empty());
}

TEST_F(Lookups, NullNamesFindNothing) {
  EXPECT_EQ(file_.GetInt(nullptr, "Int", 3), 3);
  EXPECT_FALSE(file_.Success());
  EXPECT_EQ(file_.GetInt("Kinds", nullptr, 4), 4);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Lookups, CallerNamesAreDataNotFormats) {
  file_.GetInt("%s%n%s", "%x");
  EXPECT_EQ(file_.LastError(), Located("Symbol not found - [%s%n%s]:%x"));
}

struct FloatCase {
  const char* written;
  float read;
  bool success;
};

TEST(TypedLookups, FloatReadsIntegersAndFloatsButNotDoubles) {
  for (const FloatCase& c : {FloatCase{"1.5", 1.0f, false}, FloatCase{"2", 2.0f, true},
                             FloatCase{"1.5f", 1.5f, true}, FloatCase{"(FLOAT) 1.5", 1.5f, true}}) {
    SCOPED_TRACE(c.written);
    test::ScratchFolder files;
    const std::string path =
        files.Write("prefs.txt", std::string("[Preferences]\nDamScale = ") + c.written + "\n");
    CAttributeFile file;
    ASSERT_TRUE(file.Parse(path));
    EXPECT_EQ(file.GetFloat("Preferences", "DamScale", 1.0f), c.read);
    EXPECT_EQ(file.Success(), c.success);
    EXPECT_EQ(file.LastError(), c.success ? ""
                                          : "File \"" + path +
                                                "\", line 2 :  Type mismatch - "
                                                "[Preferences]:DamScale");
  }
  test::ScratchFolder files;
  CAttributeFile file;
  ASSERT_TRUE(file.Parse(files.Write("d.txt", "[Preferences]\nDamScale = 1.5\nOther = 1.5f")));
  EXPECT_EQ(file.GetDouble("Preferences", "DamScale", 0.0), 1.5);
  EXPECT_EQ(file.GetDouble("Preferences", "Other", 0.5), 0.5);
  EXPECT_FALSE(file.Success());
}

TEST(TypedLookups, ExpansionTagsAreSearchedToo) {
  test::ScratchFolder files;
  CAttributeFile file;
  ASSERT_TRUE(file.Parse(
      files.Write("x.txt", "[Settings]\nA = 1\n[MPEXPANSION]\nB = 2\n[NEWEXPANSION]\nA = 3\n")));
  EXPECT_EQ(file.GetInt("mpexpansion", "b", 0), 2);
  EXPECT_EQ(file.GetInt("NEWEXPANSION", "A", 0), 3);
  EXPECT_EQ(file.GetInt("Settings", "A", 0), 1);
  EXPECT_TRUE(file.Exists("MpExpansion", "B"));
}

TEST(TypedLookups, WalkingNumberedSymbolsStopsAtTheFirstGap) {
  test::ScratchFolder files;
  CAttributeFile file;
  ASSERT_TRUE(file.Parse(files.Write(
      "customrez.txt", "[Rez]\nRez0 = \"a.rez\"\nRez1 = \"b.rez\"\nRez3 = \"d.rez\"\n")));
  std::vector<std::string> found;
  for (int i = 0;; ++i) {
    std::string value = file.GetString("Rez", ("Rez" + std::to_string(i)).c_str());
    if (!file.Success()) {
      break;
    }
    found.push_back(value);
  }
  EXPECT_EQ(found, (std::vector<std::string>{"a.rez", "b.rez"}));
}

// Tables start with room for 100 symbols and grow; their memory comes in chunks, and the larger
// bucket arrays of a big tag come on their own.
TEST(TypedLookups, TagsFarBeyondTheirFirstRoomAnswerEverySymbol) {
  for (const int count : {99, 100, 101, 104, 3000}) {
    std::string text = "[Small]\nX = 1\n[Big]\n";
    for (int i = 0; i < count; ++i) {
      text += "Name" + std::to_string(i) + " = " + std::to_string(i * 3) + "\n";
    }
    text += "[After]\nY = 2\n";
    test::ScratchFolder files;
    CAttributeFile file;
    ASSERT_TRUE(file.Parse(files.Write("big.txt", text))) << count;
    int matching = 0;
    for (int i = 0; i < count; ++i) {
      matching += file.GetInt("big", ("NAME" + std::to_string(i)).c_str(), -1) == i * 3 ? 1 : 0;
    }
    EXPECT_EQ(matching, count);
    EXPECT_FALSE(file.Exists("Big", ("Name" + std::to_string(count)).c_str())) << count;
    EXPECT_EQ(file.GetInt("Small", "X", 0), 1) << count;
    EXPECT_EQ(file.GetInt("After", "Y", 0), 2) << count;
  }
}

TEST(TypedLookups, ObjectThatNeverOpenedAFileReportsLineZero) {
  CAttributeFile file;
  EXPECT_FALSE(file.Success());
  EXPECT_EQ(file.GetInt("Settings", "GameType"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(file.LastError(), "Line 0 :  Symbol not found - [Settings]:GameType");
}

}  // namespace
}  // namespace vex
