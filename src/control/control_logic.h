// What the runtime control decides from the wallpaper that the desktop shows:
// which wallpaper of the family it is, and which application file renews it.
// Pure text work, no Windows calls, so it is tested natively.
#pragma once

#include <string>
#include <string_view>

#include "common/product_names.h"

namespace quorvanex {

// Caption of every box the control shows.
inline constexpr std::string_view kMessageCaption = mervalis::kFamilyName;

// The outcome; the numbers are the error codes shown to the user.
enum class Verdict : int {
  kStart = 0,                   // start the application file of `title`
  kNoWallpaper = 1001,          // the desktop reports no wallpaper
  kNotFamilyPage = 1002,        // the file name does not begin with kFamilyPrefix
  kNoDot = 1003,                // no "." after the prefix
  kApplicationMissing = 1004,   // decided by the caller, who looks at the disk
};

struct WallpaperTitle {
  Verdict verdict = Verdict::kStart;
  std::string title;  // set with kStart only
};

// The title of the family wallpaper whose page is `wallpaper`, a path as the
// Active Desktop reports it (UTF-8 text). The file name is what follows the
// last backslash or drive colon; its prefix is compared without regard to
// ASCII letter case; the title is the rest up to its first ".", in the file
// name's own letter case, and a title holding a slash is no family page's.
// Only ASCII letters are folded, so a locale whose upper case of "i" is not
// "I" still recognises a lower-case page name.
[[nodiscard]] WallpaperTitle TitleFromWallpaper(std::string_view wallpaper);

// The installed copy of a wallpaper's program: the drive root of the system
// directory, "Program Files\Quorvane\", the title, ".exe". An empty system
// directory (one Windows could not report) stands for drive C:.
[[nodiscard]] std::string ApplicationFileFor(std::string_view systemDirectory,
                                             std::string_view title);

// Whether the page at `address`, as its host tells it, may use the control:
// only a local file (a drive path, or a "file:" address of one) whose name
// begins with the family word "Quorvane" in any letter case, as the desktop's
// page does. A page on the web or a network share is refused, so that no
// other page can make the control show its boxes or start programs. An
// address the host did not tell (the empty text) is refused too: a page
// that cannot be checked may be any page.
[[nodiscard]] bool HostPageAllowed(std::string_view address);

// The text of the box for a verdict other than kStart ("" for kStart).
[[nodiscard]] std::string_view VerdictMessage(Verdict verdict);

}  // namespace quorvanex
