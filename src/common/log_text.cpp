#include "common/log_text.h"

#include <cctype>
#include <vector>

namespace mervalis {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::string Decimal(std::uint32_t value, std::size_t width) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + value % 10));
    value /= 10;
  } while (value != 0);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

std::string Hexadecimal(std::uint32_t value, std::size_t width) {
  std::string digits(width, '0');
  for (std::size_t i = width; i-- > 0; value >>= 4) digits[i] = "0123456789ABCDEF"[value & 0xF];
  return digits;
}

std::string LogLine(const LogTime& t, std::uint32_t processId, std::string_view message) {
  std::string line = Decimal(t.year, 4) + "-" + Decimal(t.month, 2) + "-" + Decimal(t.day, 2) + " " +
                     Decimal(t.hour, 2) + ":" + Decimal(t.minute, 2) + ":" + Decimal(t.second, 2) + "." +
                     Decimal(t.milliseconds, 3) + " [" + Decimal(processId) + "] ";
  line.append(message);
  line += "\r\n";
  return line;
}

std::string LastLines(std::string_view text, std::size_t count) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  }
  std::string tail;
  for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
    tail.append(lines[i]);
    tail += "\r\n";
  }
  return tail;
}

std::string WithoutUserFolder(std::string_view text, std::string_view folder) {
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.remove_suffix(1);
  if (folder.empty()) return std::string(text);
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t after = i + folder.size();
    // The whole folder only: "C:\Users\Ana" is no part of "C:\Users\Anabel".
    if (text.size() - i >= folder.size() && SameLetters(text.substr(i, folder.size()), folder) &&
        (after == text.size() || !std::isalnum(static_cast<unsigned char>(text[after])))) {
      out += "%USERPROFILE%";
      i += folder.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace mervalis
