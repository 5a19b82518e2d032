// The folders of this machine, asked of Windows, and the few file-system
// helpers the install, apply and uninstall steps share. Paths are UTF-8 here
// and go to Windows as UTF-16, so a folder named in any script is found.
#pragma once

#include <string>
#include <string_view>

namespace mervalis {

// Where this Windows gets the wallpaper. Before Vista, for the machine: the
// program in "C:\Program Files\Quorvane\", the page and its images folder in
// "C:\WINDOWS\Web\Wallpaper\", the control in the system folder, the
// uninstall entry under HKEY_LOCAL_MACHINE. From Vista on, for the user who
// runs it, with that user's rights: the local application-data folder holds
// the program ("Programs\Quorvane\") and the wallpaper's files ("Quorvane\"),
// the uninstall entry and the shortcuts are the user's own, and nothing that
// only the Active Desktop shows is written.
[[nodiscard]] bool IsPerUserInstall();
inline constexpr int kCsidlLocalAppData = 0x001c;

[[nodiscard]] std::string GetProgramFilesFolder();  // "C:\Program Files\"
[[nodiscard]] std::string GetInstallFolder();       // "C:\Program Files\Quorvane\"
[[nodiscard]] std::string GetWallpaperFolder();     // "C:\WINDOWS\Web\Wallpaper\"
// "<wallpaper folder>QVImages\<key>\"; empty when the wallpaper folder is unknown.
[[nodiscard]] std::string GetImagesFolder(std::string_view key);
[[nodiscard]] std::string GetSystemFolder();        // "C:\WINDOWS\system32\"
// A shell special folder (CSIDL) without a trailing backslash; empty when the
// shell cannot give it.
[[nodiscard]] std::string GetSpecialFolder(int csidl);

// Whether the install folder, the wallpaper folder and the system folder are
// full paths. A folder Windows cannot name (an unknown or over-long local
// application-data folder) would make every name of ours relative to the
// current folder: no operation may then delete or write anything.
[[nodiscard]] bool BaseFoldersKnown();

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
