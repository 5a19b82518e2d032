// What the program leaves on the machine and shows, as the tests expect it:
// registry keys and values, the names of the desktop mode's mutex, event and
// window classes, and the texts of its boxes. Written out here on purpose,
// never taken from the program: a test that read them from the program's own
// constants could not see the program change them.
#pragma once

namespace wine_test::contract {

inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane - Mervalis";
inline constexpr char kCompanyKey[] = "Software\\Quorvanesoft";
inline constexpr char kOptionsKey[] = "Software\\Quorvanesoft\\Options";
inline constexpr char kActiveDesktopKey[] = "Software\\Microsoft\\Internet Explorer\\Desktop\\General";
inline constexpr char kPlainDesktopKey[] = "Control Panel\\Desktop";
inline constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char kRunValue[] = "Quorvane - Mervalis";
// The desktop mode's word about its place behind the icons, under kCompanyKey.
inline constexpr char kPlaceReportValue[] = "Mervalis desktop";
// "Show desktop icons" off is "HideIcons" 1 there.
inline constexpr char kExplorerAdvancedKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";

inline constexpr char kDesktopMutex[] = "QUORVANESOFTMRVLSDESKTOP";
inline constexpr char kDesktopStopEvent[] = "QUORVANESOFTMRVLSDESKTOPSTOP";
inline constexpr char kDesktopHostClass[] = "MervalisDesktopHost";
inline constexpr char kDesktopViewClass[] = "MervalisDesktopView";

// The installer's main window.
inline constexpr char kMainFormClass[] = "TfrmMain";
inline constexpr char kMainFormCaption[] = "Quorvanesoft - Animated Desktop Wallpaper";

inline constexpr char kRemovedBox[] = "Mervalis has been successfully removed from your computer.";
inline constexpr char kDebugDirectoryBox[] = "Cannot create debug directory!";

}  // namespace wine_test::contract
