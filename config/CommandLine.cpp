#include "config/CommandLine.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>

#include "config/FixedText.h"

namespace vex {
namespace {

bool SameName(std::string_view argument, std::string_view name) {
  return argument.size() == name.size() &&
         strncasecmp(argument.data(), name.data(), name.size()) == 0;
}

const OptionRow* FindRow(std::string_view argument) {
  for (const OptionRow& row : OptionTable()) {
    if (SameName(argument, row.Name) || (!row.Alias.empty() && SameName(argument, row.Alias))) {
      return &row;
    }
  }
  return nullptr;
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return lower;
}

// Edits (insertions, deletions, changes and swaps of two neighbours) from one text to the other.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) {
    d[i][0] = i;
  }
  for (std::size_t j = 0; j <= b.size(); ++j) {
    d[0][j] = j;
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// The option a misspelt argument most likely meant: the dashes may be wrong, and a short name
// may be one edit off, a longer one two.
const OptionRow* Resembling(std::string_view argument) {
  const auto bare = [](std::string_view name) {
    return Lower(name.substr(std::min(name.find_first_not_of('-'), name.size())));
  };
  const std::string word = bare(argument);
  if (word.empty()) {
    return nullptr;
  }
  const std::size_t allowed = word.size() <= 5 ? 1 : 2;
  const OptionRow* best = nullptr;
  std::size_t bestDistance = allowed + 1;
  for (const OptionRow& row : OptionTable()) {
    const std::string name = bare(row.Name);
    // Lengths further apart than the edits allowed cannot match, and a long argument would cost
    // a table of its length for nothing.
    if (word.size() > name.size() + allowed || name.size() > word.size() + allowed) {
      continue;
    }
    const std::size_t distance = EditDistance(word, name);
    if (distance < bestDistance) {
      best = &row;
      bestDistance = distance;
    }
  }
  return best;
}

constexpr int kLongestSeconds = 24 * 60 * 60;

// The pieces of a list option's value; empty ones too, so that they can be named.
std::vector<std::string_view> CommaPieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  for (;;) {
    const std::size_t comma = text.find(',');
    pieces.push_back(text.substr(0, comma));
    if (comma == std::string_view::npos) {
      return pieces;
    }
    text.remove_prefix(comma + 1);
  }
}

// What a Host header can carry as a name; a port or a bracketed address never matches one.
bool HostNameCharacters(std::string_view name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
  });
}

std::string UnknownArgumentWarning(std::string_view argument) {
  if (argument.empty() || argument.front() != '-') {
    return "\"" + std::string(argument) + "\" is not an option; it is ignored";
  }
  std::string text = "unknown option " + std::string(argument);
  if (const OptionRow* meant = Resembling(argument)) {
    text += " (did you mean " + std::string(meant->Name) + "?)";
  }
  return text + "; it is ignored";
}

// The game's two walks, each knowing only its own names. onOption(name, i) receives each option
// the walk takes, its value being argument i + 1.
constexpr std::array<std::string_view, 1> kNameModeOptions = {"-config"};
constexpr std::array<std::string_view, 2> kBlockModeOptions = {"-port", "-name"};

template <typename OnOption>
void WalkOptions(std::span<const std::string> arguments, std::span<const std::string_view> names,
                 OnOption onOption) {
  std::size_t i = 1;
  while (i + 1 < arguments.size()) {
    const auto name = std::find_if(names.begin(), names.end(), [&](std::string_view candidate) {
      return SameName(arguments[i], candidate);
    });
    if (name == names.end()) {
      ++i;
      continue;
    }
    onOption(*name, i);
    i += 2;
  }
}

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

}  // namespace

CommandLineOptions::CommandLineOptions(std::span<const std::string> arguments) {
  std::vector<bool> taken(arguments.size(), false);
  ReadGameOptions(arguments, taken);
  ReadFreeArguments(arguments, taken);
  CheckRepeats();
  std::stable_sort(pending_.begin(), pending_.end(),
                   [](const Warning& a, const Warning& b) { return a.At < b.At; });
  for (Warning& warning : pending_) {
    warnings_.push_back(std::move(warning.Text));
  }
}

void CommandLineOptions::ReadGameOptions(std::span<const std::string> arguments,
                                         std::vector<bool>& taken) {
  std::vector<bool> readAsOption(arguments.size(), false);
  for (const std::span<const std::string_view> names :
       {std::span<const std::string_view>(kNameModeOptions),
        std::span<const std::string_view>(kBlockModeOptions)}) {
    WalkOptions(arguments, names, [&](std::string_view name, std::size_t i) {
      taken[i] = true;
      taken[i + 1] = true;
      readAsOption[i] = true;
      given_.push_back({FindRow(name), arguments[i + 1], i});
    });
  }
  // Only once both walks are done is it known whether a value is also read as an option.
  for (const Given& given : given_) {
    CheckValue(given, readAsOption[given.At + 1]);
  }
}

void CommandLineOptions::ReadFreeArguments(std::span<const std::string> arguments,
                                           const std::vector<bool>& taken) {
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (taken[i]) {
      continue;
    }
    const std::string_view argument = arguments[i];
    if (const OptionRow* row = FindRow(argument)) {
      // A game option left free is the last argument: no value follows it.
      if (row->Owner == OptionOwner::Game) {
        Warn(i, std::string(row->Name) + " needs a value after it; it is ignored");
      } else {
        Take(*row, arguments, taken, i);
      }
      continue;
    }
    const std::size_t equals = argument.find('=');
    const OptionRow* onOff =
        equals == std::string::npos ? nullptr : FindRow(argument.substr(0, equals));
    const std::string_view setting = equals == std::string::npos ? "" : argument.substr(equals + 1);
    if (onOff != nullptr && onOff->Value == OptionValue::OnOff &&
        (setting == "0" || setting == "1")) {
      given_.push_back({onOff, std::string(setting), i});
    } else {
      Warn(i, UnknownArgumentWarning(argument));
    }
  }
}

void CommandLineOptions::Take(const OptionRow& row, std::span<const std::string> arguments,
                              const std::vector<bool>& taken, std::size_t& i) {
  const std::size_t at = i;
  if (row.Value == OptionValue::None || row.Value == OptionValue::OnOff) {
    given_.push_back({&row, "1", at});
    return;
  }
  if (i + 1 >= arguments.size()) {
    missingValue_ = &row;
    // The program does not start without a value of its own options; it says so itself.
    if (row.Owner != OptionOwner::Program) {
      Warn(at, std::string(row.Name) + " needs a value after it; it is ignored");
    }
    return;
  }
  if (taken[i + 1]) {
    Warn(at, std::string(row.Name) + " needs a value, but the game reads the next argument, " +
                 arguments[i + 1] + ", as its option; " + std::string(row.Name) + " is ignored");
    return;
  }
  given_.push_back({&row, arguments[++i], at});
  CheckValue(given_.back(), false);
}

void CommandLineOptions::CheckValue(const Given& given, bool readAsOption) {
  const OptionRow& row = *given.Row;
  const std::string& value = given.Value;
  if (const OptionRow* other = FindRow(value)) {
    Warn(given.At,
         std::string(row.Name) + " takes " + Quoted(value) + " as its value; " +
             (readAsOption ? "the game reads it as the option " + std::string(other->Name) + " too"
                           : "it is not read as the option " + std::string(other->Name)));
  }
  switch (row.Value) {
    case OptionValue::Port:
      if (!StrictPortNumber(value)) {
        std::string text =
            std::string(row.Name) + " " + value + " is not a port number from 0 to 65535";
        if (row.Owner == OptionOwner::Game) {
          text += "; the game reads it as " + std::to_string(PortFromText(value.c_str()));
        }
        Warn(given.At, std::move(text));
      }
      break;
    case OptionValue::Seconds:
      if (!StrictSeconds(value)) {
        Warn(given.At, std::string(row.Name) + " " + value +
                           " is not a number of seconds from 1 to " +
                           std::to_string(kLongestSeconds) + "; it is ignored");
      }
      break;
    case OptionValue::Names:
      for (const std::string_view piece : CommaPieces(value)) {
        if (piece.empty()) {
          Warn(given.At,
               std::string(row.Name) + " " + Quoted(value) + " holds an empty name; it is ignored");
        } else if (!HostNameCharacters(piece)) {
          Warn(given.At, std::string(row.Name) + " " + Quoted(piece) +
                             " is not a host name (letters, digits, dots, dashes and "
                             "underscores); it is ignored");
        }
      }
      break;
    case OptionValue::None:
    case OptionValue::OnOff:
    case OptionValue::Text:
      break;
  }
}

// A list of names gathers every value; any other option keeps only its last, so an earlier one
// given by mistake would go unnoticed.
void CommandLineOptions::CheckRepeats() {
  for (const OptionRow& row : OptionTable()) {
    if (row.Value == OptionValue::Names) {
      continue;
    }
    const Given* last = nullptr;
    std::size_t count = 0;
    for (const Given& given : given_) {
      if (given.Row == &row && (last == nullptr || given.At > last->At)) {
        last = &given;
      }
      count += given.Row == &row ? 1 : 0;
    }
    if (count < 2) {
      continue;
    }
    std::string text = std::string(row.Name) + " is given more than once; ";
    if (row.Value == OptionValue::None) {
      text += "it is read once";
    } else if (row.Value == OptionValue::OnOff) {
      text += "the last one is used";
    } else {
      text += "the last one, " + Quoted(last->Value) + ", is used";
    }
    Warn(last->At, std::move(text));
  }
}

void CommandLineOptions::Warn(std::size_t at, std::string text) {
  pending_.push_back({at, std::move(text)});
}

bool CommandLineOptions::Has(std::string_view name) const {
  return std::any_of(given_.begin(), given_.end(),
                     [&](const Given& given) { return given.Row->Name == name; });
}

std::optional<std::string> CommandLineOptions::Value(std::string_view name) const {
  const Given* last = nullptr;
  for (const Given& given : given_) {
    if (given.Row->Name == name && (last == nullptr || given.At > last->At)) {
      last = &given;
    }
  }
  if (last == nullptr) {
    return std::nullopt;
  }
  return last->Value;
}

std::vector<std::string> CommandLineOptions::Names(std::string_view name) const {
  std::vector<std::string> names;
  for (const Given& given : given_) {
    if (given.Row->Name != name) {
      continue;
    }
    for (const std::string_view piece : CommaPieces(given.Value)) {
      if (HostNameCharacters(piece)) {
        names.emplace_back(piece);
      }
    }
  }
  return names;
}

bool CommandLineOptions::MissingValue(std::string_view name) const {
  return missingValue_ != nullptr && missingValue_->Name == name;
}

std::optional<std::uint16_t> StrictPortNumber(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value > 65535) {
    return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

std::optional<int> StrictSeconds(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || text.front() == '-' || error != std::errc{} ||
      end != text.data() + text.size() || value < 1 || value > kLongestSeconds) {
    return std::nullopt;
  }
  return value;
}

std::uint16_t PortFromText(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (std::isspace(*p)) {
    ++p;
  }
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  // Unsigned arithmetic wraps instead of overflowing, and its low 16 bits are those of the
  // written number however long it is.
  std::uint32_t value = 0;
  while (std::isdigit(*p)) {
    value = value * 10u + static_cast<std::uint32_t>(*p - '0');
    ++p;
  }
  return static_cast<std::uint16_t>(negative ? 0u - value : value);
}

void ApplyCommandLine(std::span<const std::string> arguments, std::string& configName) {
  WalkOptions(arguments, kNameModeOptions,
              [&](std::string_view, std::size_t i) { configName = arguments[i + 1]; });
}

void ApplyCommandLine(std::span<const std::string> arguments, CGameOptions& block) {
  WalkOptions(arguments, kBlockModeOptions, [&](std::string_view name, std::size_t i) {
    if (name == "-port") {
      block.PortID = PortFromText(arguments[i + 1].c_str());
    } else {
      WriteFixedText(block.ServName, arguments[i + 1]);
    }
  });
}

}  // namespace vex
