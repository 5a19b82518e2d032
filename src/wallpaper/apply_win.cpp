#include "wallpaper/apply_win.h"

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "common/application_win.h"
#include "common/crash_point.h"
#include "common/debug_log.h"
#include "common/file_io_win.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/wide_text_win.h"
#include "payload/catalogue.h"
#include "payload/page_text.h"
#include "payload/resource_writer_win.h"
#include "wallpaper/apply_plan.h"
#include "wallpaper/background_bitmap_win.h"
#include "wallpaper/desktop_background_win.h"
#include "wallpaper/desktop_setting_win.h"
#include "wallpaper/previous_wallpapers.h"

namespace mervalis {

namespace {

void Log(const char* checkpoint) { WriteDebugLog(std::string("ApplyWallpaper - ") + checkpoint); }

// The desktop's kind beside the wallpapers ("lastkind", and a slideshow's
// "lastslideshow", "lastinterval", "lastshuffle"); each one that is not to be
// kept is deleted, so that none of an earlier install's outlives it.
void RememberBackground(RegistryKey& registry, const std::optional<DesktopBackground>& background) {
  const SlideshowSettings show = background ? background->slideshow : SlideshowSettings{};
  const auto number = [&](const char* name, const std::optional<std::uint32_t>& value) {
    (void)(value ? registry.WriteDword(name, *value) : registry.DeleteValue(name));
  };
  number("lastkind", background ? std::optional(background->kind) : std::nullopt);
  (void)(show.folder.empty() ? registry.DeleteValue("lastslideshow")
                              : registry.WriteString("lastslideshow", show.folder));
  number("lastinterval", show.interval);
  number("lastshuffle", show.shuffle);
}

// Saves the wallpapers from before the first apply for the uninstaller, when
// WallpapersToRemember says so: "lastap" only once "lastwp" is written.
// The kind goes with them (BackgroundToRemember), also alone where the
// picture is Windows' copy of one it does not name (a slideshow's, Spotlight's).
void RememberPreviousWallpapers(RegistryKey& registry, std::string_view title, DesktopKind desktop) {
  DesktopWallpapers read;
  std::optional<DesktopWallpapers> current;
  if (ReadWallpaperValue(kActiveDesktopKey, read.activeDesktop) && ReadWallpaperValue(kDesktopKey, read.plain)) {
    read.copiedFrom = ReadWallpaperCopySource();
    current = read;
  }
  const std::optional<DesktopWallpapers> remember = WallpapersToRemember(desktop, current, title, &AnsiUpperCase);
  const std::optional<DesktopBackground> background =
      BackgroundToRemember(desktop, current, ReadDesktopBackground(), title, &AnsiUpperCase);
  if (!remember && !background) return;
  if (registry.Create(HKEY_CURRENT_USER, kCompanyKey) != ERROR_SUCCESS) return;
  RememberBackground(registry, background);
  if (!remember) {
    registry.Close();
    return;
  }
  if (registry.WriteString("lastwp", remember->plain) == ERROR_SUCCESS) {
    (void)registry.WriteString("lastap", remember->activeDesktop);
  }
  // Where the plain wallpaper will carry the background, also how the one
  // before was placed: the apply places ours its own way.
  WallpaperPosition position;
  if (desktop == DesktopKind::kAnimatedBehindIcons && ReadWallpaperPosition(position) &&
      registry.WriteString("laststyle", position.style) == ERROR_SUCCESS) {
    (void)registry.WriteString("lasttile", position.tile);
  }
  registry.Close();
}

// The background as the plain wallpaper, placed its own way. The picture
// goes first: refused, nothing else changed. Only then, where the position is
// not ours yet, the position and the picture once more, which is when the
// shell reads the position. Interrupted anywhere, the user's picture is never
// left placed our way, where the next run would remember that position as
// the user's. True when the setting names the background.
bool SetBackgroundAsWallpaper(const std::string& backgroundPath) {
  const auto shown = [&backgroundPath] {
    std::string value;
    return ReadWallpaperValue(kDesktopKey, value) && AnsiUpperCase(value) == AnsiUpperCase(backgroundPath);
  };
  if (!SetWindowsWallpaper(backgroundPath, WallpaperBroadcast::kYes) || !shown()) return false;
  WallpaperPosition position;
  if (ReadWallpaperPosition(position) && position == kBackgroundPosition) return true;
  if (WriteWallpaperPosition(kBackgroundPosition)) (void)SetWindowsWallpaper(backgroundPath, WallpaperBroadcast::kYes);
  return shown();
}

[[noreturn]] void FileError(const char* what, const std::string& path) {
  throw std::runtime_error(std::string(what) + " file \"" + path + "\".");
}

bool WritePicturesAndControl(const std::string& imagesFolder, const std::string& controlPath) {
  for (const PayloadPicture& picture : kPayloadPictures) {
    if (!WriteResourceFile(picture.id, imagesFolder + std::string(picture.fileName))) return false;
  }
  // A control that could not be deleted (it is loaded) stays as it is.
  return FileExists(controlPath) || WriteResourceFile(IDR_RUNTIME_CONTROL, controlPath);
}

}  // namespace

void WriteStubPage(const std::string& pagePath, std::string_view wallpaperKey, std::string_view controlPath) {
  switch (WriteWholeFile(pagePath, StubPageText(wallpaperKey, controlPath))) {
    case WriteResult::kWritten: return;
    case WriteResult::kNotCreated: FileError("Cannot create", pagePath);
    case WriteResult::kNotWritten: break;
  }
  FileError("Cannot write", pagePath);
}

bool ApplyWallpaper(const ApplyOptions& options) {
  Log("Begin");
  const std::string title = RemoveQuotes(options.wallpaperNameCaption);
  const std::string key = RemoveQuotesAndSpaces(options.wallpaperNameCaption);
  const std::string pagePath = PagePath(GetWallpaperFolder(), title);
  const std::string imagesFolder = GetImagesFolder(key);
  const std::string backgroundPath = imagesFolder + std::string(kBackgroundName);
  const std::string controlPath = GetSystemFolder() + std::string(kControlFileName);
  std::string error;
  // The silent run goes on without either, and fails at the end.
  bool backgroundWritten = false;
  bool wallpaperOurs = false;
  RegistryKey registry;
  Log("After Var Dec");
  const bool stretched = options.stretched;
  const ApplyPlan plan = PlanApply(options, IsWindowsRotation(ReadBackgroundKind()));
  Log("After Stretch Check");

  [&] {
    (void)ForceDirectories(imagesFolder);
    if (!DirectoryExists(imagesFolder)) {
      error = "Could not create directory!";
      return;
    }
    if (plan.rememberPreviousWallpapers) RememberPreviousWallpapers(registry, title, options.desktop);

    Log("Before WriteWallpaperBitmap");
    const BitmapRequest bitmap =
        BackgroundRequest(backgroundPath, stretched, options.showBorder, options.borderExtra, options.applyMode);
    backgroundWritten = WriteWallpaperBitmap(bitmap);
    if (!backgroundWritten && plan.reportBackgroundError) {
      error = "Unable to write background image!";
      return;
    }
    Log("After WriteWallpaperBitmap");

    if (plan.writePage) {
      // The layout goes in before the one write: the file never holds the tag.
      Log("Before Tag Rplc");
      if (!WriteResourceFile(IDR_PAGE_TEMPLATE, pagePath, kPageLayoutTag, stretched ? "1" : "0")) {
        error = "Unable to write wallpaper!";
        return;
      }
      Log("After RL WP Res Write");
      Log("After Tag Rplc Write");
    }

    if (plan.writePicturesAndControl) {
      CrashPoint("file deleted");
      ::DeleteFileW(Widen(controlPath).c_str());
    }
    Log("Before Res Write");
    if (plan.writePicturesAndControl && !WritePicturesAndControl(imagesFolder, controlPath)) {
      error = "Unable to write one or more images!";
      return;
    }
    Log("After Res Write");
    if (plan.target == WallpaperTarget::kPageInActiveDesktop) {
      // The page first: a run interrupted between the two must not leave the
      // user's plain wallpaper cleared while the desktop does not show ours
      // yet, where the next run would remember the cleared one as the user's.
      wallpaperOurs = SetActiveDesktopWallpaper(pagePath);
      Log("After Set AD Wallpaper");
      (void)SetWindowsWallpaper("");
      Log("After SetWindowsWallpaper");
    } else {
      // The still scene, also when nothing moves over it; this shell shows no
      // page, so its Active Desktop is not pointed at one. After a failed
      // write the background may be the previous complete one, or none: a
      // missing file is never made the wallpaper.
      // Windows' slideshow or Spotlight would replace it: the install ends
      // that rotation first; the silent apply leaves it, and the setting,
      // as the user switched them on.
      if (plan.endWindowsRotation && FileExists(backgroundPath)) EndWindowsRotation(backgroundPath);
      wallpaperOurs = plan.setWallpaper && FileExists(backgroundPath) && SetBackgroundAsWallpaper(backgroundPath);
      Log("After SetWindowsWallpaper");
    }
    if (plan.writePicturesAndControl) {
      // Quoted, so a system folder with blanks still names one file. The tool
      // by its full path: a bare name would be searched for, current folder first.
      const std::string parameters = "/s \"" + controlPath + "\"";
      const std::string tool = GetSystemFolder() + "regsvr32.exe";
      ::ShellExecuteW(::GetDesktopWindow(), L"open", Widen(tool).c_str(), Widen(parameters).c_str(), nullptr,
                      SW_HIDE);
    }
    Log("After OCX Reg");
    if (plan.writePage) WriteStubPage(pagePath, key, controlPath);
    Log("After OCX WP Write");
  }();

  if (!error.empty()) ShowMessage(error, MB_OK | MB_ICONSTOP);
  Log("End");
  // The silent run tells whoever started it that the desktop does not show
  // our wallpaper; the install has shown what it could.
  return error.empty() && backgroundWritten && (wallpaperOurs || !options.applyMode);
}

}  // namespace mervalis
