#include "control/control_logic.h"

#include <algorithm>

#include "common/names.h"

namespace quorvanex {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Only ASCII letters are folded: the names compared here are the family's own
// and the address schemes, all ASCII, whatever the user's locale.
bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [](char p, char c) { return AsciiLower(p) == AsciiLower(c); });
}

bool IsDrivePath(std::string_view path) {
  const char drive = AsciiLower(path.empty() ? '\0' : path[0]);
  return path.size() >= 3 && drive >= 'a' && drive <= 'z' && (path[1] == ':' || path[1] == '|') &&
         (path[2] == '\\' || path[2] == '/');
}

// The local path that a "file:" address names ("" for another machine's).
std::string PathOfFileAddress(std::string_view address) {
  std::string_view rest = address.substr(5);  // after "file:"
  if (const size_t end = rest.find_first_of("?#"); end != std::string_view::npos) rest = rest.substr(0, end);
  if (rest.substr(0, 2) == "//") {
    rest.remove_prefix(2);
    // urlmon writes a local page as "file://C:\dir\page.html": a drive, not a host.
    if (std::string path = PercentDecoded(rest); IsDrivePath(path)) return path;
    const size_t slash = rest.find('/');
    const std::string_view host = rest.substr(0, slash);
    const bool thisMachine = host.empty() || (host.size() == 9 && StartsWithIgnoringCase(host, "localhost"));
    if (!thisMachine) return {};
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  std::string path = PercentDecoded(rest);
  if (path.size() >= 3 && (path[0] == '/' || path[0] == '\\') && (path[2] == ':' || path[2] == '|')) {
    path.erase(0, 1);
  }
  return path;
}

}  // namespace

bool HostPageAllowed(std::string_view address) {
  const std::string path =
      StartsWithIgnoringCase(address, "file:") ? PathOfFileAddress(address) : std::string(address);
  if (!IsDrivePath(path)) return false;
  const std::string_view name = std::string_view(path).substr(path.find_last_of("\\/") + 1);
  return StartsWithIgnoringCase(name, mervalis::kFamilyName);
}

WallpaperTitle TitleFromWallpaper(std::string_view wallpaper) {
  if (wallpaper.empty()) return {Verdict::kNoWallpaper, {}};

  std::string_view fileName = wallpaper;
  if (const size_t cut = wallpaper.find_last_of("\\:"); cut != std::string_view::npos) {
    fileName = wallpaper.substr(cut + 1);
  }
  if (!StartsWithIgnoringCase(fileName, mervalis::kFamilyPrefix)) return {Verdict::kNotFamilyPage, {}};

  const std::string_view rest = fileName.substr(mervalis::kFamilyPrefix.size());
  const size_t dot = rest.find('.');
  if (dot == std::string_view::npos) return {Verdict::kNoDot, {}};
  // The title names the program file beside ours: a slash in it would name
  // a file in another folder.
  const std::string_view title = rest.substr(0, dot);
  if (title.find_first_of("\\/") != std::string_view::npos) return {Verdict::kNotFamilyPage, {}};
  return {Verdict::kStart, std::string(title)};
}

std::string ApplicationFileFor(std::string_view systemDirectory, std::string_view title) {
  return mervalis::ApplicationFilePath(mervalis::InstallFolderFrom(systemDirectory), title);
}

std::string_view VerdictMessage(Verdict verdict) {
  switch (verdict) {
    case Verdict::kNoWallpaper:
      return "Invalid Wallpaper (Error 1001)";
    case Verdict::kNotFamilyPage:
      return "Invalid Wallpaper (Error 1002)";
    case Verdict::kNoDot:
      return "Invalid Wallpaper (Error 1003)";
    case Verdict::kApplicationMissing:
      return "Wallpaper Application Not Found (Error 1004)";
    case Verdict::kStart:
      break;
  }
  return {};
}

}  // namespace quorvanex
