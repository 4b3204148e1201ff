#include "res/StringTable.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace vex::res {
namespace {

// Sorted by id. The texts are the operator's, character for character (two blanks after a full
// stop where the Windows program's wording has them).
constexpr std::pair<int, std::string_view> kStrings[] = {
    {1, "ERROR - Unable to setup the network game server."},
    {7, "ERROR - Unable to set the network service."},
    {8, "VexServer"},
    {9, "VexServer"},
    {10,
     "ERROR - No server configuration file.  A configuration file must be setup inside the game "
     "menus and selected for the server."},
    {11, "ERROR - The config file could not be read properly. The file may be corrupt."},
    {12, "ERROR - This config file has no maps selected."},
    {13, "ERROR - The config file contains an unknown game type."},
    {103, "ERROR - Unable to load resources."},
    {106, "ERROR - Out of memory.  The server will be shutdown."},
    {107, "ERROR - Unable to load the game binaries."},
    {109, "ERROR - Unable to start server."},
    {110, "ERROR - Unable to load the selected map."},
    {121, "Are you sure you want to stop the server?"},
    {122, "Initializing the server..."},
    {123, "Server initialized."},
    {124, "ERROR - Unable to host the game."},
    {125, "Server is running."},
    {143, "Server stopped."},
    {147, "Name"},
    {148, "Ping"},
    {149, "Kills"},
    {150, "Score"},
    {151, "World"},
    {152, "Lives"},
    {153, "Server"},
    {157, "Time"},
    {162, "<Incoming Player>"},
    {2000, "Deathmatch"},
    {2001, "Team Deathmatch"},
    {2002, "Hunt"},
    {2003, "Survivor"},
    {2004, "Overrun"},
    {2005, "Evacuation"},
};

}  // namespace

std::optional<std::string_view> FindString(int id) {
  const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                    [](const auto& entry, int key) { return entry.first < key; });
  if (it == std::end(kStrings) || it->first != id) {
    return std::nullopt;
  }
  return it->second;
}

}  // namespace vex::res
