// The product's fixed names, each written once: the program, its uninstaller
// and the runtime control all take them from here. Plain constants and nothing
// else (no std::string, no code to link), so that the control, which is kept
// small, can include this header as well as the program does. Every constant
// is a string literal, so its data() is also a C string.
#pragma once

#include <string_view>

namespace mervalis {

// The wallpaper, its family and its maker.
inline constexpr std::string_view kTitle = "Mervalis";
inline constexpr std::string_view kFamilyName = "Quorvane";
inline constexpr std::string_view kCompanyName = "Quorvanesoft";
// Starts the page file's name and the uninstall entry's name.
inline constexpr std::string_view kFamilyPrefix = "Quorvane - ";

// The arguments of the run modes; the runtime control starts the installed
// program with kApplyArgument, the logon entry with kDesktopArgument.
inline constexpr std::string_view kApplyArgument = "apply";
inline constexpr std::string_view kUninstallArgument = "uninstall";
inline constexpr std::string_view kDoUninstallArgument = "douninstall";
inline constexpr std::string_view kDesktopArgument = "desktop";
inline constexpr std::string_view kPreviewArgument = "preview";
inline constexpr std::string_view kReportArgument = "report";
// Switches the log on, in any mode, anywhere on the command line.
inline constexpr std::string_view kLogSwitch = "/log";

// Registry keys, below HKEY_CURRENT_USER except the uninstall root (below
// HKEY_LOCAL_MACHINE).
inline constexpr std::string_view kUninstallRootKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr std::string_view kCompanyKey = "Software\\Quorvanesoft";
inline constexpr std::string_view kOptionsKey = "Software\\Quorvanesoft\\Options";
inline constexpr std::string_view kActiveDesktopKey = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";
inline constexpr std::string_view kDesktopKey = "Control Panel\\Desktop";
// The DWORD under kCompanyKey that switches the log on for every run when 1.
inline constexpr std::string_view kLogValueName = "Mervalis log";

// Folder and file names. The images folder sits beside the page and holds one
// subfolder per wallpaper.
inline constexpr std::string_view kImagesFolderName = "QVImages";
// The log of earlier versions' debug builds, in the install folder: deleted at
// every start.
inline constexpr std::string_view kDebugLogName = "Debug.log";
// The log and the report, in the wallpaper's folder.
inline constexpr std::string_view kLogName = "Mervalis.log";
inline constexpr std::string_view kPreviousLogName = "Mervalis.old.log";
inline constexpr std::string_view kReportName = "Mervalis report.txt";
inline constexpr std::string_view kControlFileName = "quorvanexrun.ocx";
inline constexpr std::string_view kUninstallerCopyName = "QuorUninst1.exe";
inline constexpr std::string_view kBackgroundName = "background.bmp";
inline constexpr std::string_view kMoreWallpapersLink = "Try More Animated Wallpapers.lnk";
inline constexpr std::string_view kDesktopMoreLink = "Animated Wallpaper.lnk";

// The maker's web site: the one root of every address (ends with "/"), the
// pages that take the link query, and the page of the "more wallpapers"
// shortcuts.
inline constexpr std::string_view kWebSiteRoot = "http://www.quorvanesoft.com/";
inline constexpr std::string_view kMorePapersPage = "index.php?wp=";
inline constexpr std::string_view kTellPage = "tell.php?wp=";
inline constexpr std::string_view kShortcutPage = "index.php?ref=shortcut";

// The runtime control's class id (without braces) and the version under which
// the stub page embeds it; the control's own ids are made from these.
inline constexpr std::string_view kRuntimeControlClassId = "A720EFA4-00C8-459A-8762-5CF50F24DA54";
inline constexpr std::string_view kRuntimeControlVersion = "1,0,0,0";

}  // namespace mervalis
