#include "common/shell_version.h"

#include <optional>
#include <string>

namespace mervalis {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads "<digits>[<separator><digits>]" as a locale-aware conversion with
// this decimal separator does; nothing for any other text.
std::optional<double> ReadDecimal(std::string_view text, std::string_view separator) {
  std::string plain;  // the same number with "." as separator
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
  // The digits as integers (std::from_chars for doubles would add 40 KB to
  // the program). Up to 15 digits in all, the number is one exact integer
  // over an exact power of ten and the one division rounds as a decimal
  // conversion does; longer numbers, which no shell reports, may differ in
  // the last bit.
  double integer = 0.0, fraction = 0.0, scale = 1.0;
  bool afterPoint = false;
  for (const char c : plain) {
    if (c == '.') {
      afterPoint = true;
    } else if (afterPoint) {
      fraction = fraction * 10 + (c - '0');
      scale *= 10;
    } else {
      integer = integer * 10 + (c - '0');
    }
  }
  const size_t digits = plain.size() - (afterPoint ? 1 : 0);
  if (digits <= 15) return (integer * scale + fraction) / scale;
  return integer + fraction / scale;
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
