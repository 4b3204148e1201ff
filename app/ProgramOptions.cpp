#include "app/ProgramOptions.h"

#include "config/CommandLine.h"
#include "config/OptionTable.h"

namespace vex {

namespace {

constexpr std::size_t kHelpColumn = 24;
constexpr std::size_t kLineWidth = 79;

// The help text after the option's name, its lines filled up to the line width.
void AppendHelp(std::string& out, std::string_view help) {
  std::size_t column = out.size() - out.rfind('\n') - 1;
  while (!help.empty()) {
    const std::size_t wordEnd = std::min(help.find(' '), help.size());
    const std::string_view word = help.substr(0, wordEnd);
    if (column > kHelpColumn && column + 1 + word.size() > kLineWidth) {
      out += '\n';
      column = 0;
    }
    if (column < kHelpColumn) {
      out.append(kHelpColumn - column, ' ');
      column = kHelpColumn;
    } else if (column > kHelpColumn) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    help.remove_prefix(std::min(wordEnd + 1, help.size()));
  }
  out += '\n';
}

void AppendOptions(std::string& out, OptionOwner owner, std::string_view heading) {
  out += '\n';
  out += heading;
  out += ":\n";
  for (const OptionRow& row : OptionTable()) {
    if (row.Owner != owner) {
      continue;
    }
    std::string name = "  " + std::string(row.Name);
    if (!row.Alias.empty()) {
      name += ", " + std::string(row.Alias);
    }
    if (!row.Argument.empty()) {
      name += " " + std::string(row.Argument);
    }
    if (row.Value == OptionValue::OnOff) {
      name += "[=0]";
    }
    // A name too long for its column gets the help on the next line.
    if (name.size() + 1 >= kHelpColumn) {
      name += '\n';
    }
    out += name;
    AppendHelp(out, row.Help);
  }
}

}  // namespace

ProgramOptions ParseProgramOptions(const std::vector<std::string>& arguments) {
  const CommandLineOptions given(arguments);
  ProgramOptions options;
  options.Help = given.Has("--help");
  options.Version = given.Has("--version");
  options.Console = given.Has("-console");
  options.CheckConfig = given.Has("--check-config");
  options.DumpOptionsFile = given.Value("--dump-options");
  options.LogFile = given.Value("-log");
  if (const auto timestamps = given.Value("-timestamps")) {
    options.Timestamps = *timestamps == "1";
  }
  for (const OptionRow& row : OptionTable()) {
    if (row.Owner == OptionOwner::Program && given.MissingValue(row.Name)) {
      options.Error = std::string(row.Name) + " needs a " + std::string(row.Argument) + " after it";
    }
  }
  options.Warnings = given.Warnings();
  return options;
}

std::string UsageText(const std::string& program) {
  std::string text = "Usage: " + program + " [OPTION]...\n       " + program +
                     " --check-config -config NAME [-port N] [-name TEXT] [--dump-options FILE]\n"
                     "\n"
                     "Hosts one game from the server configuration VexMod/ServerData/NAME.txt of "
                     "the game\nfolder that is the working directory, and shows its status "
                     "window.\n";
  AppendOptions(text, OptionOwner::Game, "The game's options");
  AppendOptions(text, OptionOwner::Program, "The program's options");
  AppendOptions(text, OptionOwner::Remote, "Remote administration");
  text += "\nIn the terminal, lines typed are game commands; /help lists the server's own.\n";
  return text;
}

}  // namespace vex
