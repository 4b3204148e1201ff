// Parses a generated 10 MB attribute file (or as many megabytes as the only argument says) and
// looks up every symbol with its typed lookup, beside inih's INIReader reading the same settings
// written as INI, converted with strtol and strtod. Prints the time of each (best of a few runs
// without counting), the ratio, allocations per symbol and heap memory per byte of file (from a
// counted run). Targets: 3 times inih's speed, 100 MB/s, the parsed store at most 3 times the
// file's size.
#include <INIReader.h>
#include <stdlib.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "attrib/AttributeFile.h"
#include "bench/AllocationCounter.h"
#include "bench/AttributeContent.h"

namespace {

using Clock = std::chrono::steady_clock;
using vex::bench::SymbolEntry;
using vex::bench::ValueKind;

constexpr std::size_t kFileBytes = std::size_t{10} << 20;
constexpr int kRuns = 5;

struct RunFigures {
  double seconds = 0.0;
  double checksum = 0.0;
  std::size_t allocations = 0;
  std::size_t heldAfterParse = 0;
  std::size_t peak = 0;
};

double LookUpEverySymbol(vex::CAttributeFile& file, const std::vector<SymbolEntry>& symbols) {
  double sum = 0.0;
  for (const SymbolEntry& s : symbols) {
    const char* tag = s.tag.c_str();
    const char* name = s.name.c_str();
    switch (s.kind) {
      case ValueKind::Int:
        sum += file.GetInt(tag, name, 0);
        break;
      case ValueKind::Dword:
        sum += file.GetDword(tag, name, 0);
        break;
      case ValueKind::Byte:
        sum += file.GetByte(tag, name, 0);
        break;
      case ValueKind::Bool:
        sum += file.GetBool(tag, name, false) ? 1 : 0;
        break;
      case ValueKind::Double:
        sum += file.GetDouble(tag, name, 0.0);
        break;
      case ValueKind::Float:
        sum += static_cast<double>(file.GetFloat(tag, name, 0.0f));
        break;
      case ValueKind::String:
        sum += static_cast<double>(file.GetString(tag, name, std::string()).size());
        break;
      case ValueKind::Rect: {
        const vex::AttributeRect& r = file.GetRect(tag, name, {});
        sum += r.left + r.top + r.right + r.bottom;
        break;
      }
      case ValueKind::Point: {
        const vex::AttributePoint& p = file.GetPoint(tag, name, {});
        sum += p.x + p.y;
        break;
      }
      case ValueKind::Vector: {
        const vex::AttributeVector& v = file.GetVector(tag, name, {});
        sum += v.x + v.y + v.z;
        break;
      }
      case ValueKind::Range: {
        const vex::AttributeRange& r = file.GetRange(tag, name, {});
        sum += r.low + r.high;
        break;
      }
    }
  }
  return sum;
}

// Adds the `count` comma-separated numbers of an INI value, each read by `read`.
template <typename Read>
double SumList(const std::string& text, int count, Read read) {
  double sum = 0.0;
  const char* at = text.c_str();
  for (int i = 0; i < count; ++i) {
    char* end = nullptr;
    sum += read(at, &end);
    at = *end == ',' ? end + 1 : end;
  }
  return sum;
}

double LookUpEveryValue(const INIReader& reader, const std::vector<SymbolEntry>& symbols) {
  const auto integer = [](const char* at, char** end) {
    return static_cast<double>(std::strtol(at, end, 10));
  };
  const auto real = [](const char* at, char** end) { return std::strtod(at, end); };
  double sum = 0.0;
  for (const SymbolEntry& s : symbols) {
    const std::string value = reader.Get(s.tag, s.name, "");
    switch (s.kind) {
      case ValueKind::Int:
        sum +=
            static_cast<double>(static_cast<std::int32_t>(std::strtol(value.c_str(), nullptr, 10)));
        break;
      case ValueKind::Dword:
        sum += static_cast<double>(
            static_cast<std::uint32_t>(std::strtoul(value.c_str(), nullptr, 10)));
        break;
      case ValueKind::Byte:
        sum += static_cast<double>(std::strtol(value.c_str(), nullptr, 10) & 0xFF);
        break;
      case ValueKind::Bool:
        sum += strcasecmp(value.c_str(), "true") == 0 ? 1 : 0;
        break;
      case ValueKind::Double:
        sum += std::strtod(value.c_str(), nullptr);
        break;
      case ValueKind::Float:
        sum += static_cast<double>(static_cast<float>(std::strtod(value.c_str(), nullptr)));
        break;
      case ValueKind::String:
        sum += static_cast<double>(value.size());
        break;
      case ValueKind::Rect:
        sum += SumList(value, 4, integer);
        break;
      case ValueKind::Point:
        sum += SumList(value, 2, integer);
        break;
      case ValueKind::Vector:
        sum += SumList(value, 3, real);
        break;
      case ValueKind::Range:
        sum += SumList(value, 2, real);
        break;
    }
  }
  return sum;
}

// Counted runs give the allocation and memory figures; uncounted ones the time.
RunFigures RunAttributeFile(const std::string& path, const std::vector<SymbolEntry>& symbols,
                            bool counted) {
  RunFigures figures;
  if (counted) {
    vex::bench::StartCounting();
  }
  const Clock::time_point start = Clock::now();
  auto file = std::make_unique<vex::CAttributeFile>();
  if (!file->Parse(path)) {
    std::fprintf(stderr, "attrib_bench: %s\n", file->LastError().c_str());
    std::exit(1);
  }
  figures.heldAfterParse = vex::bench::CurrentAllocations().liveBytes;
  figures.checksum = LookUpEverySymbol(*file, symbols);
  figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  figures.allocations = vex::bench::CurrentAllocations().count;
  figures.peak = vex::bench::CurrentAllocations().peakBytes;
  vex::bench::StopCounting();
  return figures;
}

RunFigures RunIni(const std::string& path, const std::vector<SymbolEntry>& symbols, bool counted) {
  RunFigures figures;
  if (counted) {
    vex::bench::StartCounting();
  }
  const Clock::time_point start = Clock::now();
  auto reader = std::make_unique<INIReader>(path);
  if (reader->ParseError() != 0) {
    std::fprintf(stderr, "attrib_bench: inih failed at line %d\n", reader->ParseError());
    std::exit(1);
  }
  figures.heldAfterParse = vex::bench::CurrentAllocations().liveBytes;
  figures.checksum = LookUpEveryValue(*reader, symbols);
  figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  figures.allocations = vex::bench::CurrentAllocations().count;
  figures.peak = vex::bench::CurrentAllocations().peakBytes;
  vex::bench::StopCounting();
  return figures;
}

// The memory figures of a counted run with the best time of kRuns uncounted ones.
template <typename Run>
RunFigures Measure(Run run) {
  RunFigures figures = run(true);
  figures.seconds = run(false).seconds;
  for (int i = 1; i < kRuns; ++i) {
    figures.seconds = std::min(figures.seconds, run(false).seconds);
  }
  return figures;
}

void Write(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary)
      .write(text.data(), static_cast<std::streamsize>(text.size()));
}

void PrintRow(const char* name, const RunFigures& f, double fileBytes, double symbols) {
  std::printf("%-26s %9.1f %9.1f %11.2f %10.2f %10.2f\n", name, f.seconds * 1000.0,
              fileBytes / f.seconds / 1e6, static_cast<double>(f.allocations) / symbols,
              static_cast<double>(f.peak) / fileBytes,
              static_cast<double>(f.heldAfterParse) / fileBytes);
}

}  // namespace

int main(int argc, char** argv) {
  // A smaller file (megabytes as the only argument) keeps a run under callgrind short.
  const std::size_t bytes =
      argc > 1 ? static_cast<std::size_t>(std::atoi(argv[1])) << 20 : kFileBytes;
  const vex::bench::GeneratedContent content = vex::bench::GenerateContent(bytes);
  char folder[] = "/tmp/vex-attrib-bench-XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    std::perror("attrib_bench: mkdtemp");
    return 1;
  }
  const std::filesystem::path attributePath = std::filesystem::path(folder) / "levels.txt";
  const std::filesystem::path iniPath = std::filesystem::path(folder) / "levels.ini";
  Write(attributePath, content.attributeText);
  Write(iniPath, content.iniText);

  const RunFigures ours = Measure([&](bool counted) {
    return RunAttributeFile(attributePath.string(), content.symbols, counted);
  });
  const RunFigures inih =
      Measure([&](bool counted) { return RunIni(iniPath.string(), content.symbols, counted); });
  std::filesystem::remove_all(folder);

  const double symbols = static_cast<double>(content.symbols.size());
  std::printf(
      "attribute file %.1f MB, INI file %.1f MB, %zu symbols; parse and typed lookup of "
      "every symbol, best of %d runs\n",
      static_cast<double>(content.attributeText.size()) / 1e6,
      static_cast<double>(content.iniText.size()) / 1e6, content.symbols.size(), kRuns);
  std::printf("%-26s %9s %9s %11s %10s %10s\n", "", "ms", "MB/s", "allocs/sym", "peak/byte",
              "kept/byte");
  PrintRow("CAttributeFile", ours, static_cast<double>(content.attributeText.size()), symbols);
  PrintRow("inih INIReader + strto*", inih, static_cast<double>(content.iniText.size()), symbols);
  std::printf(
      "speed ratio (inih time / ours, same settings): %.2f  (target >= 3, and >= 100 MB/s)\n",
      inih.seconds / ours.seconds);
  std::printf(
      "store after the parse: %.2f times the file  (target <= 3)\n",
      static_cast<double>(ours.heldAfterParse) / static_cast<double>(content.attributeText.size()));
  if (ours.checksum != inih.checksum) {
    std::printf("values differ: %.17g against %.17g\n", ours.checksum, inih.checksum);
    return 1;
  }
  std::printf("both read the same values (checksum %.17g)\n", ours.checksum);
  return 0;
}
