// Every folder and file name of the wallpaper, computed from the Windows
// folders of the machine and the title. Nothing here touches the disk; the
// thin wrappers in folders_win.h ask Windows for the folders.
#pragma once

#include <string>
#include <string_view>

#include "common/product_names.h"

namespace mervalis {

// The title's forms.
[[nodiscard]] std::string RemoveQuotes(std::string_view text);
[[nodiscard]] std::string RemoveQuotesAndSpaces(std::string_view text);
// Blanks and control characters (code 32 and below) cut from both ends.
[[nodiscard]] std::string TrimBlanksAndControls(std::string_view text);
[[nodiscard]] std::string WithTrailingBackslash(std::string_view folder);
// Letters a to z upper-cased, every other byte kept: for names of our own,
// which are plain ASCII whatever the user's locale.
[[nodiscard]] std::string AsciiUpperCase(std::string_view text);

// Folders, from what Windows reports. An empty system directory stands for one
// that could not be read.
[[nodiscard]] std::string ProgramFilesFolderFrom(std::string_view systemDirectory);
[[nodiscard]] std::string InstallFolderFrom(std::string_view systemDirectory);
[[nodiscard]] std::string WallpaperFolderFrom(std::string_view windowsDirectory);
[[nodiscard]] std::string ImagesFolderFrom(std::string_view windowsDirectory, std::string_view key);
[[nodiscard]] std::string SystemFolderFrom(std::string_view systemDirectory);
// A per-user install, in the user's local application-data folder: the
// program under "Programs\Quorvane\", the wallpaper's own files (the
// background and its images folder) under "Quorvane\". Empty when that
// folder is unknown or not a full path, so that nothing is written at the
// root of a drive or in the current folder.
[[nodiscard]] std::string PerUserInstallFolderFrom(std::string_view localAppData);
[[nodiscard]] std::string PerUserWallpaperFolderFrom(std::string_view localAppData);

// True for a full path: a drive's "X:\" or a share's "\\server\share". A
// folder that Windows could not name comes out empty or relative, and a
// relative one would name files in whatever folder the program runs in.
[[nodiscard]] bool IsAbsoluteFolder(std::string_view folder);

// The name a replaced file's temporary copy takes when "<name>.tmp" is held
// by another program: `stem` ("<name>.") followed by "<process id>-<n>.tmp".
[[nodiscard]] bool IsRunTemporaryName(std::string_view name, std::string_view stem);

// Files and keys, from the folders above (each ending in a backslash).
[[nodiscard]] std::string PageName(std::string_view title);
[[nodiscard]] std::string PagePath(std::string_view wallpaperFolder, std::string_view title);
[[nodiscard]] std::string ApplicationFilePath(std::string_view installFolder, std::string_view title);
[[nodiscard]] std::string UninstallKey(std::string_view title);
// "QVImages/<key>/<file>", the address of a picture as seen from the page.
[[nodiscard]] std::string PageImageAddress(std::string_view key, std::string_view fileName);

// The images folder of a wallpaper without its trailing backslash, and the
// shared images folder, as the uninstaller removes them.
[[nodiscard]] std::string ImagesRootFolder(std::string_view wallpaperFolder);

}  // namespace mervalis
