#include "app/ConfigCheck.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "config/ConfigPath.h"
#include "config/ConfigSummary.h"
#include "config/GamePreparation.h"
#include "framework/StringTable.h"
#include "framework/TerminalStyle.h"
#include "framework/VisibleText.h"
#include "platform/RegularFile.h"
#include "res/Resource.h"

namespace vex {

namespace {

constexpr mode_t kDumpMode = 0666;

// More would only bury the summary; the rest are counted.
constexpr std::size_t kShownReaderMessages = 1000;

// The attribute reader's messages, printed as they come so that a file with millions of them
// costs no memory. Each waits for the next, since the last may be the error that the check
// reports on its own.
class ReaderMessages {
 public:
  void Take(const char* message) {
    if (held_) {
      Show(*held_);
    }
    held_ = message;
  }

  void Finish(const std::string& errorText) {
    if (held_ && *held_ != errorText) {
      Show(*held_);
    }
    held_.reset();
    if (unshown_ > 0) {
      fw::WriteDiagnostic(platform::Severity::Warning,
                          "warning: ... and " + std::to_string(unshown_) + " more");
    }
  }

 private:
  void Show(const std::string& message) {
    if (shown_ == kShownReaderMessages) {
      ++unshown_;
      return;
    }
    ++shown_;
    fw::WriteDiagnostic(platform::Severity::Warning, "warning: " + message);
  }

  std::optional<std::string> held_;
  std::size_t shown_ = 0;
  std::size_t unshown_ = 0;
};

ReaderMessages& TheReaderMessages() {
  static ReaderMessages messages;
  return messages;
}

void TakeReaderMessage(const char* message) {
  TheReaderMessages().Take(message);
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

// Why the block could not be written, or nothing. The file is opened as the log is, so a FIFO
// never holds the check.
std::optional<std::string> WriteBlock(const std::string& path, const CGameOptions& block) {
  const platform::WritingOpening opened =
      platform::OpenFileForWriting(path, kDumpMode, platform::Writing::Replace);
  if (opened.Fd < 0) {
    return opened.Error;
  }
  const char* bytes = reinterpret_cast<const char*>(&block);
  std::size_t done = 0;
  while (done < sizeof block) {
    const ssize_t written = ::write(opened.Fd, bytes + done, sizeof block - done);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      const int error = written < 0 ? errno : ENOSPC;
      ::close(opened.Fd);
      return std::strerror(error);
    }
    done += static_cast<std::size_t>(written);
  }
  // Some file systems say only now that the bytes did not fit.
  if (::close(opened.Fd) != 0) {
    return std::strerror(errno);
  }
  return std::nullopt;
}

}  // namespace

int RunConfigCheck(const std::vector<std::string>& arguments,
                   const std::optional<std::string>& dumpOptionsFile) {
  const auto noChoice = []() -> std::optional<std::string> { return std::nullopt; };
  const GamePreparation result = PrepareGame(arguments, noChoice, TakeReaderMessage);
  TheReaderMessages().Finish(result.ErrorText);
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
  if (dumpOptionsFile) {
    if (const std::optional<std::string> error = WriteBlock(*dumpOptionsFile, result.Game.Block)) {
      fw::WriteDiagnostic(
          platform::Severity::Error,
          "vexserver: cannot write the options block to " + *dumpOptionsFile + ": " + *error);
      return kDumpNotWritten;
    }
  }
  return 0;
}

}  // namespace vex
