#include "wallpaper/desktop_kind.h"

#include "common/names.h"

namespace mervalis {

namespace {

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

}  // namespace

std::string RunValueName(std::string_view title) { return std::string(kFamilyPrefix) + std::string(title); }

std::string DesktopModeCommand(std::string_view applicationFile) {
  // Quoted: an install folder with blanks must still name one program.
  return "\"" + std::string(applicationFile) + "\" " + std::string(kDesktopArgument);
}

bool ShowsOurBackground(std::string_view plainWallpaper, std::string_view wallpaperKey) {
  const std::string tail =
      Upper(std::string("\\") + std::string(kImagesFolderName) + "\\" + std::string(wallpaperKey) + "\\" +
            std::string(kBackgroundName));
  const std::string value = Upper(plainWallpaper);
  return value.size() >= tail.size() && value.compare(value.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace mervalis
