#include "bench/AttributeContent.h"

#include <array>
#include <cstdarg>
#include <cstdio>
#include <utility>

namespace vex::bench {
namespace {

struct Template {
  const char* name;
  ValueKind kind;
};

constexpr std::array<Template, 24> kTemplates = {{
    {"MaxPlayers", ValueKind::Int},     {"FragLimit", ValueKind::Int},
    {"TimeLimit", ValueKind::Int},      {"SpawnOffset", ValueKind::Int},
    {"Port", ValueKind::Dword},         {"Seed", ValueKind::Dword},
    {"Lives", ValueKind::Byte},         {"Friendly", ValueKind::Bool},
    {"RunSpeed", ValueKind::Bool},      {"Gravity", ValueKind::Double},
    {"DamageScale", ValueKind::Double}, {"RespawnDelay", ValueKind::Float},
    {"WalkSpeed", ValueKind::Float},    {"LevelName", ValueKind::String},
    {"Description", ValueKind::String}, {"Music", ValueKind::String},
    {"Bounds", ValueKind::Rect},        {"Viewport", ValueKind::Rect},
    {"Spawn", ValueKind::Point},        {"Exit", ValueKind::Point},
    {"Light", ValueKind::Vector},       {"Wind", ValueKind::Vector},
    {"PingRange", ValueKind::Range},    {"Volume", ValueKind::Range},
}};

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  char text[96];
  std::va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

// The value of template `index` in tag `tag`, as the INI file and the attribute file write it.
std::pair<std::string, std::string> Value(const Template& t, int tag, int index) {
  const int n = tag * 31 + index * 7;
  const unsigned port = 27000u + static_cast<unsigned>(n) * 4099u;
  std::string ini;
  switch (t.kind) {
    case ValueKind::Int:
      ini = Format("%d", index % 2 == 0 ? n % 1000 : -(n % 5000));
      return {ini, ini};
    case ValueKind::Dword:
      ini = Format("%u", port);
      return {ini, "(DWORD) " + ini};
    case ValueKind::Byte:
      ini = Format("%d", n % 256);
      return {ini, "(BYTE) " + ini};
    case ValueKind::Bool:
      ini = n % 3 == 0 ? "TRUE" : "FALSE";
      return {ini, ini};
    case ValueKind::Double:
      ini = Format("%d.%03d", n % 40 - 20, n % 997);
      return {ini, ini};
    case ValueKind::Float:
      ini = Format("%d.%02d", n % 10, n % 97);
      return {ini, ini + "f"};
    case ValueKind::String:
      ini = Format("Level %d of the %s campaign", tag, index % 2 == 0 ? "red" : "blue");
      return {ini, "\"" + ini + "\""};
    case ValueKind::Rect:
      ini = Format("%d, %d, %d, %d", n % 64, -(n % 48), 640 + n % 100, 480);
      return {ini, "(" + ini + ")"};
    case ValueKind::Point:
      ini = Format("%d, %d", n % 500, -(n % 300));
      return {ini, "(" + ini + ")"};
    case ValueKind::Vector:
      ini = Format("%d.5, %d.25, -%d.125", n % 10, n % 20, n % 30);
      return {ini, "<" + ini + ">"};
    case ValueKind::Range:
      ini = Format("%d.5, %d.75", n % 10, 10 + n % 10);
      return {ini, "[" + ini + "]"};
  }
  return {};
}

}  // namespace

GeneratedContent GenerateContent(std::size_t bytes) {
  GeneratedContent content;
  content.attributeText.reserve(bytes + 4096);
  content.iniText.reserve(bytes + 4096);
  char tagName[32];
  for (int tag = 0; content.attributeText.size() < bytes; ++tag) {
    std::snprintf(tagName, sizeof tagName, "Level%05d", tag);
    content.attributeText += "/* Level ";
    content.attributeText += std::to_string(tag);
    content.attributeText += ": settings of one level of the rotation.\n   Edit with care. */\n[";
    content.attributeText += tagName;
    content.attributeText += "]\n";
    content.iniText +=
        "; Level " + std::to_string(tag) + ": settings of one level of the rotation.\n";
    content.iniText += "; Edit with care.\n[";
    content.iniText += tagName;
    content.iniText += "]\n";
    for (int index = 0; index < static_cast<int>(kTemplates.size()); ++index) {
      const Template& t = kTemplates[static_cast<std::size_t>(index)];
      if (index % 8 == 0) {
        content.attributeText += "\t// ";
        content.attributeText += t.name;
        content.attributeText += " and what follows\n";
        content.iniText += "; ";
        content.iniText += t.name;
        content.iniText += " and what follows\n";
      }
      content.attributeText += "\t";
      content.attributeText += t.name;
      content.attributeText += " = ";
      content.iniText += t.name;
      content.iniText += " = ";
      const auto [ini, attribute] = Value(t, tag, index);
      content.attributeText += attribute + "\n";
      content.iniText += ini + "\n";
      content.symbols.push_back({tagName, t.name, t.kind});
    }
    content.attributeText += "\n";
    content.iniText += "\n";
  }
  return content;
}

}  // namespace vex::bench
