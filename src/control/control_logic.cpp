#include "control/control_logic.h"

#include <algorithm>

#include "common/names.h"

namespace quorvanex {

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithUpperCased(std::string_view text, std::string_view upperPrefix) {
  return text.size() >= upperPrefix.size() &&
         std::equal(upperPrefix.begin(), upperPrefix.end(), text.begin(),
                    [](char p, char c) { return p == AsciiUpper(c); });
}

}  // namespace

WallpaperTitle TitleFromWallpaper(std::string_view wallpaper) {
  if (wallpaper.empty()) return {Verdict::kNoWallpaper, {}};

  std::string_view fileName = wallpaper;
  if (const size_t cut = wallpaper.find_last_of("\\:"); cut != std::string_view::npos) {
    fileName = wallpaper.substr(cut + 1);
  }
  if (!StartsWithUpperCased(fileName, kPagePrefixUpper)) return {Verdict::kNotFamilyPage, {}};

  const std::string_view rest = fileName.substr(kPagePrefixUpper.size());
  const size_t dot = rest.find('.');
  if (dot == std::string_view::npos) return {Verdict::kNoDot, {}};
  return {Verdict::kStart, std::string(rest.substr(0, dot))};
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
