#include "common/shell_version.h"

#include <charconv>
#include <optional>
#include <string>

namespace mervalis {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads "<digits>[<separator><digits>]" as a locale-aware conversion with
// this decimal separator does; nothing for any other text.
std::optional<double> ReadDecimal(std::string_view text, std::string_view separator) {
  std::string plain;  // the same number with "." as separator, for from_chars
  plain.reserve(text.size() + 1);
  size_t i = 0;
  while (i < text.size() && IsDigit(text[i])) plain += text[i++];
  if (plain.empty()) return std::nullopt;
  if (i < text.size()) {
    if (text.substr(i, separator.size()) != separator) return std::nullopt;
    i += separator.size();
    plain += '.';
    const size_t fractionStart = plain.size();
    while (i < text.size() && IsDigit(text[i])) plain += text[i++];
    if (plain.size() == fractionStart || i != text.size()) return std::nullopt;
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  if (error != std::errc() || end != plain.data() + plain.size()) return std::nullopt;
  return value;
}

}  // namespace

double ShellVersionValue(unsigned long major, unsigned long minor,
                         std::string_view decimalSeparator) noexcept {
  // An empty separator would glue the numbers together ("471"); it stands for
  // a locale that could not be read.
  const std::string_view separator = decimalSeparator.empty() ? std::string_view(".") : decimalSeparator;
  const std::string text = std::to_string(major) + std::string(separator) + std::to_string(minor);
  return ReadDecimal(text, separator).value_or(0.0);
}

bool IsShellVersionHighEnough(unsigned long major, unsigned long minor,
                              std::string_view decimalSeparator) noexcept {
  return ShellVersionValue(major, minor, decimalSeparator) >= kMinimumShellVersion;
}

}  // namespace mervalis
