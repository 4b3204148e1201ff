#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vex::remote {

enum class MetricType { Counter, Gauge, Histogram };

struct MetricLabel {
  std::string_view Name;
  std::string_view Value;
};

// One histogram as counted: Counts[i] observations fell at or below UpperBounds[i] and above the
// bound before it; the one count past the bounds holds those above every bound.
struct HistogramCounts {
  std::vector<double> UpperBounds;
  std::vector<std::uint64_t> Counts;
  double Sum = 0;
};

// Writes metrics in the Prometheus text exposition format, version 0.0.4. Names and help texts
// are the program's own; label values may be any text (a level's name from a file) and come out
// escaped, with bytes that are not UTF-8 replaced, since one bad label fails the whole scrape.
class MetricsExposition {
 public:
  // The HELP and TYPE lines of a family; its samples follow.
  void Family(std::string_view name, std::string_view help, MetricType type);
  void Sample(std::string_view name, double value, std::initializer_list<MetricLabel> labels = {});

  // A family of one sample.
  void Counter(std::string_view name, std::string_view help, double value);
  void Gauge(std::string_view name, std::string_view help, double value);
  // Cumulative _bucket samples up to le="+Inf", then _sum and _count.
  void Histogram(std::string_view name, std::string_view help, const HistogramCounts& counts);

  const std::string& Text() const { return text_; }

 private:
  void AppendLabelValue(std::string_view value);

  std::string text_;
};

}  // namespace vex::remote
