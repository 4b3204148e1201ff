#pragma once

#include <span>
#include <string_view>

namespace vex {

// Who reads an option's value: the game host setup, the program itself, or the remote services.
enum class OptionOwner { Game, Program, Remote };

enum class OptionValue {
  None,     // a switch
  OnOff,    // a switch that also takes "=0" or "=1" after its name
  Text,     // the next argument, whatever it is
  Port,     // the next argument, a port number from 0 to 65535
  Seconds,  // the next argument, whole seconds from 1 to a day
  Names,    // the next argument, host names separated by commas; may be given again to add more
};

struct OptionRow {
  std::string_view Name;
  OptionValue Value;
  std::string_view Argument;  // the value's name in help texts ("FILE", "N"); empty for a switch
  OptionOwner Owner;
  std::string_view Help;
  std::string_view Alias = {};  // a second name, for --help only
};

// Every option of the command line, in the order the usage text lists them. Names match ignoring
// case, as the game's own options always have.
std::span<const OptionRow> OptionTable();

}  // namespace vex
