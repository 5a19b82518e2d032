#include "common/names.h"

#include <algorithm>

namespace mervalis {

namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Without(std::string_view text, auto&& dropped) {
  std::string out;
  out.reserve(text.size());
  std::copy_if(text.begin(), text.end(), std::back_inserter(out),
               [&](char c) { return !dropped(c); });
  return out;
}

}  // namespace

std::string AsciiUpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

std::string RemoveQuotes(std::string_view text) {
  return Without(text, [](char c) { return c == '"'; });
}

std::string RemoveQuotesAndSpaces(std::string_view text) {
  return Without(text, [](char c) { return c == '"' || c == ' '; });
}

std::string TrimBlanksAndControls(std::string_view text) {
  while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string WithTrailingBackslash(std::string_view folder) {
  std::string out(folder);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

std::string ProgramFilesFolderFrom(std::string_view systemDirectory) {
  // The drive root of the system directory ("C:\"); the name is the fixed
  // English one, not the localised program-files folder.
  std::string root = systemDirectory.empty() ? std::string("C:\\")
                                             : std::string(systemDirectory.substr(0, 3));
  return root + "Program Files\\";
}

std::string InstallFolderFrom(std::string_view systemDirectory) {
  return WithTrailingBackslash(ProgramFilesFolderFrom(systemDirectory)) + std::string(kFamilyName) + "\\";
}

std::string WallpaperFolderFrom(std::string_view windowsDirectory) {
  return WithTrailingBackslash(windowsDirectory) + "Web\\Wallpaper\\";
}

std::string ImagesRootFolder(std::string_view wallpaperFolder) {
  return std::string(wallpaperFolder) + std::string(kImagesFolderName);
}

std::string ImagesFolderFrom(std::string_view windowsDirectory, std::string_view key) {
  return ImagesRootFolder(WallpaperFolderFrom(windowsDirectory)) + "\\" + std::string(key) + "\\";
}

std::string SystemFolderFrom(std::string_view systemDirectory) {
  return WithTrailingBackslash(systemDirectory);
}

bool IsAbsoluteFolder(std::string_view folder) {
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (folder.size() >= 3 && letter(folder[0]) && folder[1] == ':' && folder[2] == '\\') return true;
  // "\\server\share": a server and a share, each named.
  if (folder.size() < 5 || folder.substr(0, 2) != "\\\\") return false;
  const std::size_t slash = folder.find('\\', 2);
  return slash != std::string_view::npos && slash > 2 && slash + 1 < folder.size() && folder[slash + 1] != '\\';
}

bool IsRunTemporaryName(std::string_view name, std::string_view stem) {
  constexpr std::string_view kSuffix = ".tmp";
  if (name.size() <= stem.size() + kSuffix.size() || name.substr(0, stem.size()) != stem ||
      name.substr(name.size() - kSuffix.size()) != kSuffix) {
    return false;
  }
  const std::string_view middle = name.substr(stem.size(), name.size() - stem.size() - kSuffix.size());
  const std::size_t dash = middle.find('-');
  const auto digits = [](std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
  };
  return dash != std::string_view::npos && digits(middle.substr(0, dash)) && digits(middle.substr(dash + 1));
}

std::string PerUserInstallFolderFrom(std::string_view localAppData) {
  if (!IsAbsoluteFolder(localAppData)) return {};
  return WithTrailingBackslash(localAppData) + "Programs\\" + std::string(kFamilyName) + "\\";
}

std::string PerUserWallpaperFolderFrom(std::string_view localAppData) {
  if (!IsAbsoluteFolder(localAppData)) return {};
  return WithTrailingBackslash(localAppData) + std::string(kFamilyName) + "\\";
}

std::string PageName(std::string_view title) { return std::string(title) + ".html"; }

std::string PagePath(std::string_view wallpaperFolder, std::string_view title) {
  return std::string(wallpaperFolder) + std::string(kFamilyPrefix) + PageName(title);
}

std::string ApplicationFilePath(std::string_view installFolder, std::string_view title) {
  return std::string(installFolder) + std::string(title) + ".exe";
}

std::string UninstallKey(std::string_view title) {
  return std::string(kUninstallRootKey) + std::string(kFamilyPrefix) + std::string(title);
}

std::string PageImageAddress(std::string_view key, std::string_view fileName) {
  return std::string(kImagesFolderName) + "/" + std::string(key) + "/" + std::string(fileName);
}

}  // namespace mervalis
