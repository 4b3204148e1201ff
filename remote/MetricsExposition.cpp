#include "remote/MetricsExposition.h"

#include <charconv>
#include <cmath>

#include "remote/Utf8.h"

namespace vex::remote {

namespace {

const char* TypeName(MetricType type) {
  switch (type) {
    case MetricType::Counter:
      return "counter";
    case MetricType::Gauge:
      return "gauge";
    case MetricType::Histogram:
      return "histogram";
  }
  return "untyped";
}

void AppendNumber(std::string& text, double value) {
  if (std::isnan(value)) {
    text += "NaN";
  } else if (std::isinf(value)) {
    text += value > 0 ? "+Inf" : "-Inf";
  } else {
    // The shortest text that reads back as the same number: counters stay whole numbers.
    char digits[32];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, error == std::errc{} ? end : digits);
  }
}

}  // namespace

void MetricsExposition::Family(std::string_view name, std::string_view help, MetricType type) {
  text_ += "# HELP ";
  text_ += name;
  text_ += ' ';
  for (const char c : help) {
    if (c == '\\') {
      text_ += "\\\\";
    } else if (c == '\n') {
      text_ += "\\n";
    } else {
      text_ += c;
    }
  }
  text_ += "\n# TYPE ";
  text_ += name;
  text_ += ' ';
  text_ += TypeName(type);
  text_ += '\n';
}

void MetricsExposition::Sample(std::string_view name, double value,
                               std::initializer_list<MetricLabel> labels) {
  text_ += name;
  if (labels.size() > 0) {
    char separator = '{';
    for (const MetricLabel& label : labels) {
      text_ += separator;
      separator = ',';
      text_ += label.Name;
      text_ += "=\"";
      AppendLabelValue(label.Value);
      text_ += '"';
    }
    text_ += '}';
  }
  text_ += ' ';
  AppendNumber(text_, value);
  text_ += '\n';
}

void MetricsExposition::Counter(std::string_view name, std::string_view help, double value) {
  Family(name, help, MetricType::Counter);
  Sample(name, value);
}

void MetricsExposition::Gauge(std::string_view name, std::string_view help, double value) {
  Family(name, help, MetricType::Gauge);
  Sample(name, value);
}

void MetricsExposition::Histogram(std::string_view name, std::string_view help,
                                  const HistogramCounts& counts) {
  Family(name, help, MetricType::Histogram);
  const std::string bucket = std::string(name) + "_bucket";
  std::uint64_t cumulative = 0;
  for (std::size_t i = 0; i < counts.Counts.size(); ++i) {
    cumulative += counts.Counts[i];
    if (i < counts.UpperBounds.size()) {
      std::string bound;
      AppendNumber(bound, counts.UpperBounds[i]);
      Sample(bucket, static_cast<double>(cumulative), {{"le", bound}});
    }
  }
  Sample(bucket, static_cast<double>(cumulative), {{"le", "+Inf"}});
  Sample(std::string(name) + "_sum", counts.Sum);
  Sample(std::string(name) + "_count", static_cast<double>(cumulative));
}

void MetricsExposition::AppendLabelValue(std::string_view value) {
  while (!value.empty()) {
    const char c = value[0];
    std::size_t used = 1;
    if (c == '\\') {
      text_ += "\\\\";
    } else if (c == '"') {
      text_ += "\\\"";
    } else if (c == '\n') {
      text_ += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x80) {
      text_ += c;
    } else if (const std::size_t length = Utf8SequenceLength(value)) {
      text_.append(value.substr(0, length));
      used = length;
    } else {
      text_ += "\xEF\xBF\xBD";
    }
    value.remove_prefix(used);
  }
}

}  // namespace vex::remote
