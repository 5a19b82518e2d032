#include "wallpaper/desktop_kind.h"

#include "common/names.h"

namespace mervalis {

std::string RunValueName(std::string_view title) { return std::string(kFamilyPrefix) + std::string(title); }

std::string DesktopModeCommand(std::string_view applicationFile) {
  // Quoted: an install folder with blanks must still name one program.
  return "\"" + std::string(applicationFile) + "\" " + std::string(kDesktopArgument);
}

bool ShowsOurBackground(std::string_view plainWallpaper, std::string_view wallpaperKey) {
  const std::string tail =
      AsciiUpperCase(std::string("\\") + std::string(kImagesFolderName) + "\\" + std::string(wallpaperKey) + "\\" +
            std::string(kBackgroundName));
  const std::string value = AsciiUpperCase(plainWallpaper);
  return value.size() >= tail.size() && value.compare(value.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsWindowsRotation(std::optional<std::uint32_t> backgroundKind) noexcept {
  return backgroundKind == kSlideshowBackground || backgroundKind == kSpotlightBackground;
}

bool AnotherWallpaperChosen(std::string_view before, std::string_view now, std::string_view wallpaperKey,
                            std::optional<std::uint32_t> backgroundKind) {
  if (IsWindowsRotation(backgroundKind)) return true;
  return AsciiUpperCase(before) != AsciiUpperCase(now) && !ShowsOurBackground(now, wallpaperKey);
}

}  // namespace mervalis
