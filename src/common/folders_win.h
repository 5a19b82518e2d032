// The folders of this machine, asked of Windows, and the few file-system
// helpers the install, apply and uninstall steps share. Paths are UTF-8 here
// and go to Windows as UTF-16, so a folder named in any script is found.
#pragma once

#include <string>
#include <string_view>

namespace mervalis {

[[nodiscard]] std::string GetProgramFilesFolder();  // "C:\Program Files\"
[[nodiscard]] std::string GetInstallFolder();       // "C:\Program Files\Quorvane\"
[[nodiscard]] std::string GetWallpaperFolder();     // "C:\WINDOWS\Web\Wallpaper\"
[[nodiscard]] std::string GetImagesFolder(std::string_view key);
[[nodiscard]] std::string GetSystemFolder();        // "C:\WINDOWS\system32\"
// A shell special folder (CSIDL) without a trailing backslash; empty when the
// shell cannot give it.
[[nodiscard]] std::string GetSpecialFolder(int csidl);

// The full path of the running program.
[[nodiscard]] std::string GetProgramPath();

// Creates a folder with all its missing parents; true when it exists afterwards.
[[nodiscard]] bool ForceDirectories(std::string_view folder);
[[nodiscard]] bool DirectoryExists(std::string_view folder);
[[nodiscard]] bool FileExists(std::string_view path);

// Upper- and lower-casing of UTF-8 text by the user's locale.
[[nodiscard]] std::string AnsiUpperCase(std::string_view text);
[[nodiscard]] std::string AnsiLowerCase(std::string_view text);

}  // namespace mervalis
