#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "config/OptionTable.h"

namespace vex {
namespace {

std::string ManPage() {
  std::ifstream file(std::string(VEX_SOURCE_DIR) + "/packaging/vexserver.1");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The text of one section, from its heading to the next.
std::string Section(const std::string& page, const std::string& heading) {
  const std::size_t start = page.find("\n.SH " + heading + "\n");
  if (start == std::string::npos) {
    return {};
  }
  const std::size_t end = page.find("\n.SH ", start + 1);
  return page.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The option that each tagged paragraph of the section names first: ".BI \-port " N"" names -port.
std::set<std::string> TaggedOptions(const std::string& section) {
  std::set<std::string> names;
  std::istringstream lines(section);
  bool tagNext = false;
  for (std::string line; std::getline(lines, line);) {
    if (tagNext) {
      std::istringstream words(line);
      std::string macro;
      std::string word;
      words >> macro >> word;
      std::string name;
      for (std::size_t i = 0; i < word.size(); ++i) {
        if (word.compare(i, 2, "\\-") == 0) {
          name += '-';
          ++i;
        } else if (word[i] == '[' || word[i] == '"') {
          break;
        } else {
          name += word[i];
        }
      }
      names.insert(name);
    }
    tagNext = line == ".TP";
  }
  return names;
}

TEST(ManPage, DescribesExactlyTheOptionsOfTheTable) {
  std::set<std::string> table;
  for (const OptionRow& row : OptionTable()) {
    table.insert(std::string(row.Name));
  }
  EXPECT_EQ(TaggedOptions(Section(ManPage(), "OPTIONS")), table);
}

TEST(ManPage, HasTheSectionsAnOperatorLooksFor) {
  const std::string page = ManPage();
  for (const char* heading :
       {"SYNOPSIS", "OPTIONS", "SIGNALS", "ENVIRONMENT", "FILES", "EXIT STATUS"}) {
    EXPECT_FALSE(Section(page, heading).empty()) << heading;
  }
  // What the program reads, writes, answers to and ends with, each where an operator looks.
  const struct {
    const char* Heading;
    std::vector<const char*> Words;
  } expected[] = {
      {"ENVIRONMENT",
       {"VEX_RCON_PASSWORD", "TERM", "NO_COLOR", "DISPLAY", "XDG_STATE_HOME", "JOURNAL_STREAM",
        "NOTIFY_SOCKET"}},
      {"FILES", {"history", "/var/log/vexserver/", "/etc/vexserver/", "vexserver\\-alerts.yml"}},
      {"SIGNALS", {"SIGINT", "SIGTERM", "SIGHUP", "SIGUSR1", "SIGPIPE"}},
      {"EXIT STATUS", {".B 0\n", ".B 1\n", ".B 2\n", ".B 3\n", ".B 4\n", "10", "13", ".B 64\n"}},
      {"SEE ALSO", {".BR vexattr (1)"}},
  };
  for (const auto& [heading, words] : expected) {
    const std::string section = Section(page, heading);
    for (const char* word : words) {
      EXPECT_NE(section.find(word), std::string::npos) << heading << ": " << word;
    }
  }
}

}  // namespace
}  // namespace vex
