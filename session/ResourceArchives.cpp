#include "session/ResourceArchives.h"

#include <algorithm>

#include "attrib/AttributeFile.h"
#include "engine/IServerEngine.h"
#include "platform/FileSystem.h"
#include "platform/OpticalDisc.h"

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

void AppendCustomArchives(std::vector<std::string>& archives) {
  CAttributeFile list;
  if (!list.Parse(platform::ResolvePath(kCustomList))) {
    return;
  }
  for (int i = 0;; ++i) {
    const std::string symbol = "Rez" + std::to_string(i);
    std::string archive = list.GetString("Rez", symbol.c_str());
    if (!list.Success()) {
      return;
    }
    archives.push_back(std::move(archive));
  }
}

}  // namespace

std::vector<std::string> BuildArchiveList(const std::optional<std::string>& opticalDisc) {
  std::vector<std::string> archives = {"orvo.rez", "sounds.rez"};
  if (auto multiplayer = FindMultiplayerArchive(opticalDisc)) {
    archives.push_back(std::move(*multiplayer));
  }
  for (const char* fixed :
       {"custom.rez", "orvop.rez", "orvop1.rez", "orvop2.rez", "VexMod\\vexmod_base.rez",
        "VexMod\\vexmod_upd1.rez", "VexMod\\vexmod_upd2.rez", "VexMod\\vexmod_upd3.rez",
        "VexMod\\vexmod_upd4.rez", "VexMod\\vexmod_upd5.rez"}) {
    archives.emplace_back(fixed);
  }
  AppendCustomArchives(archives);
  return archives;
}

bool LoadResourceArchives(IServerEngine& engine) {
  const std::vector<std::string> archives = BuildArchiveList(platform::FirstOpticalDiscMount());
  const std::size_t count = std::min(archives.size(), kMaxArchives);
  const char* paths[kMaxArchives] = {};
  for (std::size_t i = 0; i < count; ++i) {
    paths[i] = archives[i].c_str();
  }
  return engine.LoadResourceArchives(paths, static_cast<std::uint32_t>(count)) != 0;
}

}  // namespace vex
