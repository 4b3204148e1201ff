#include "app/ConfigCheck.h"

#include <cstdio>
#include <fstream>

#include "config/ConfigPath.h"
#include "config/ConfigSummary.h"
#include "config/GamePreparation.h"
#include "framework/StringTable.h"
#include "framework/TerminalStyle.h"
#include "framework/VisibleText.h"
#include "res/Resource.h"

namespace vex {

namespace {

std::vector<std::string>& LibraryMessages() {
  static std::vector<std::string> messages;
  return messages;
}

void CollectLibraryMessage(const char* message) {
  LibraryMessages().emplace_back(message);
}

void ListConfigFiles() {
  const std::vector<std::string> titles = ListConfigTitles();
  if (titles.empty()) {
    fw::WriteDiagnostic(platform::Severity::Info, "No configuration files in VexMod/ServerData/.");
    return;
  }
  fw::WriteDiagnostic(platform::Severity::Info,
                      "Configuration files in VexMod/ServerData/ (choose one with -config NAME):");
  for (const auto& title : titles) {
    fw::WriteDiagnostic(platform::Severity::Info, "  " + title);
  }
}

// In the attribute library's file-and-line form, beside its own messages.
std::string NarrowingText(const std::string& fileName, const NarrowedValue& value) {
  return "File \"" + fileName + "\", line " + std::to_string(value.Line) + " :  [" + value.Tag +
         "]:" + value.Key + " = " + std::to_string(value.Read) + " does not fit its field; " +
         std::to_string(value.Kept) + " is used";
}

bool WriteBlock(const std::string& path, const CGameOptions& block) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&block), sizeof(block));
  return static_cast<bool>(out);
}

}  // namespace

int RunConfigCheck(const std::vector<std::string>& arguments,
                   const std::optional<std::string>& dumpOptionsFile) {
  const auto noChoice = []() -> std::optional<std::string> { return std::nullopt; };
  LibraryMessages().clear();
  const GamePreparation result = PrepareGame(arguments, noChoice, CollectLibraryMessage);

  for (const auto& message : LibraryMessages()) {
    if (message != result.ErrorText) {
      fw::WriteDiagnostic(platform::Severity::Warning, "warning: " + message);
    }
  }
  for (const auto& value : result.Narrowed) {
    fw::WriteDiagnostic(platform::Severity::Warning,
                        "warning: " + NarrowingText(result.FileName, value));
  }
  if (result.ErrorId != 0) {
    fw::WriteDiagnostic(platform::Severity::Error,
                        std::string(fw::LoadStringOrEmpty(result.ErrorId)));
    if (!result.ErrorText.empty()) {
      fw::WriteDiagnostic(platform::Severity::Error, result.ErrorText);
    }
    if (const auto missing = MissingConfigFolder()) {
      fw::WriteDiagnostic(platform::Severity::Error, *missing);
    } else if (result.ErrorId == res::IDS_NO_CONFIG) {
      ListConfigFiles();
    }
    return result.ErrorId;
  }
  const auto text = [](int id) { return std::string(fw::LoadStringOrEmpty(id)); };
  // The names and texts of the file are the operator's, shown as text on the terminal.
  std::fputs(fw::VisibleText(ConfigSummary(result.Game, text), fw::LineFeeds::Keep).c_str(),
             stdout);
  if (dumpOptionsFile && !WriteBlock(*dumpOptionsFile, result.Game.Block)) {
    fw::WriteDiagnostic(platform::Severity::Error,
                        "vexserver: cannot write the options block to " + *dumpOptionsFile);
    return 1;
  }
  return 0;
}

}  // namespace vex
