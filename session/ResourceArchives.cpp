#include "session/ResourceArchives.h"

#include <algorithm>
#include <cerrno>

#include "attrib/AttributeFile.h"
#include "engine/IServerEngine.h"
#include "platform/FileSystem.h"
#include "platform/OpticalDisc.h"
#include "platform/RegularFile.h"

namespace vex {

namespace {

constexpr const char* kMultiplayerArchive = "multi.rez";
constexpr const char* kCustomList = "VexMod\\customrez.txt";

std::optional<std::string> FindMultiplayerArchive(const std::optional<std::string>& opticalDisc) {
  if (platform::FileExists(kMultiplayerArchive)) {
    return kMultiplayerArchive;
  }
  if (!opticalDisc) {
    return std::nullopt;
  }
  std::string onDisc = *opticalDisc;
  if (onDisc.empty() || onDisc.back() != '/') {
    onDisc += '/';
  }
  onDisc += kMultiplayerArchive;
  if (platform::FileExists(onDisc)) {
    return onDisc;
  }
  return std::nullopt;
}

// Answers why a custom list that is there was left out.
std::string AppendCustomArchives(std::vector<std::string>& archives) {
  const std::string fileName = platform::ResolvePath(kCustomList);
  const platform::RegularFileOpening opened = platform::OpenRegularFile(fileName);
  if (!opened.Stream) {
    return opened.SystemError == ENOENT ? std::string() : fileName + ": " + opened.Error;
  }
  CAttributeFile list;
  if (!list.Parse(opened.Stream.get(), fileName)) {
    return list.LastError().empty() ? fileName + ": not an attribute file" : list.LastError();
  }
  for (int i = 0;; ++i) {
    const std::string symbol = "Rez" + std::to_string(i);
    std::string archive = list.GetString("Rez", symbol.c_str());
    if (!list.Success()) {
      return {};
    }
    archives.push_back(std::move(archive));
  }
}

}  // namespace

ArchiveList BuildArchiveList(const std::optional<std::string>& opticalDisc) {
  ArchiveList list;
  std::vector<std::string>& archives = list.Archives;
  archives = {"orvo.rez", "sounds.rez"};
  if (auto multiplayer = FindMultiplayerArchive(opticalDisc)) {
    archives.push_back(std::move(*multiplayer));
  }
  for (const char* fixed :
       {"custom.rez", "orvop.rez", "orvop1.rez", "orvop2.rez", "VexMod\\vexmod_base.rez",
        "VexMod\\vexmod_upd1.rez", "VexMod\\vexmod_upd2.rez", "VexMod\\vexmod_upd3.rez",
        "VexMod\\vexmod_upd4.rez", "VexMod\\vexmod_upd5.rez"}) {
    archives.emplace_back(fixed);
  }
  list.CustomListProblem = AppendCustomArchives(archives);
  return list;
}

bool LoadResourceArchives(IServerEngine& engine,
                          const std::function<void(std::string_view)>& printLine) {
  const ArchiveList list = BuildArchiveList(platform::FirstOpticalDiscMount());
  if (!list.CustomListProblem.empty() && printLine) {
    printLine("Custom archive list left out: " + list.CustomListProblem);
  }
  const std::size_t count = std::min(list.Archives.size(), kMaxArchives);
  const char* paths[kMaxArchives] = {};
  for (std::size_t i = 0; i < count; ++i) {
    paths[i] = list.Archives[i].c_str();
  }
  return engine.LoadResourceArchives(paths, static_cast<std::uint32_t>(count)) != 0;
}

}  // namespace vex
