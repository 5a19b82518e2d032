#include "common/log_text.h"

#include <cctype>
#include <cstdio>
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

std::string LogLine(const LogTime& t, std::uint32_t processId, std::string_view message) {
  char head[64] = {};
  std::snprintf(head, sizeof(head), "%04u-%02u-%02u %02u:%02u:%02u.%03u [%lu] ", t.year % 10000, t.month % 100,
                t.day % 100, t.hour % 100, t.minute % 100, t.second % 100, t.milliseconds % 1000,
                static_cast<unsigned long>(processId));
  std::string line = head;
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
