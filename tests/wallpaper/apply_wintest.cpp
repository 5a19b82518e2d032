// The apply sequence under Wine: the silent apply run that the runtime control
// starts (stored options, the screen's size, nothing but the background and
// the page renewed, no window), the full run behind the install button (the
// previous wallpapers remembered once, the control registered), and an error
// while the page is rewritten reaching the entry's guard.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "payload/expected_files.h"
#include "robot.h"
#include "ui/main_form_ids.h"
#include "wine/contract_literals.h"
#include "wine/file_watch.h"
#include "wine/installation.h"
#include "wallpaper/locked_key.h"
#include "wallpaper/screen_bitmap_check.h"
#include "wine/support.h"
#include "wine/windows_version.h"

namespace {

using namespace wine_test::contract;
using mervalis::KeyExists;
using wine_test::Process;
using wine_test::SetString;
using wine_test::ValueExists;

constexpr char kOldPlainWallpaper[] = "C:\\windows\\Old Plain.bmp";
constexpr char kOldActiveDesktopWallpaper[] = "C:\\windows\\Web\\Wallpaper\\Old Page.html";
constexpr char kControlClassKey[] = "Software\\Classes\\CLSID\\{A720EFA4-00C8-459A-8762-5CF50F24DA54}";

// The page template as the source tree holds it.
std::string Template() { return wine_test::SourceTreeFile("src\\payload\\page\\template.html"); }


std::string ActiveDesktopWallpaper() {
  return wine_test::ReadRegistryString(HKEY_CURRENT_USER, active_desktop_fixture::kWallpaperKey, "Wallpaper");
}
std::string PlainWallpaper() {
  return wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper");
}
std::string Remembered(const char* name) {
  return wine_test::ReadRegistryString(HKEY_CURRENT_USER, std::string(kCompanyKey), name);
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// What a run in the apply mode did that a person could see.
struct ApplyRun {
  bool ended = false;
  DWORD exitCode = 1;
  std::string windows;  // every window it showed: class, caption and, for boxes, the text
};

// Runs the program with "apply" to its end, watching for any window of its
// own; a message box is read and answered so that it cannot hang the run.
ApplyRun RunApplyMode() {
  ApplyRun run;
  Process program(wine_test::ProgramPath(), "apply");
  if (!program.started()) return run;
  std::set<HWND> seen;
  run.ended = robot::WaitUntil([&] {
    if (HWND window = robot::FindTopLevel({"", "", program.id()})) {
      const std::string className = robot::ClassName(window);
      if (className == robot::kMessageBoxClass) {
        const auto box = robot::ReadMessageBox(window);
        if (seen.insert(window).second) run.windows += "box \"" + box.caption + "\": " + box.text + "\n";
        robot::PressMessageBoxButton(box, "OK");
      } else if (seen.insert(window).second) {
        run.windows += className + " \"" + robot::WindowText(window) + "\"\n";
      }
    }
    return !program.Running();
  }, 30000);
  if (run.ended) (void)program.WaitForExit(1000, &run.exitCode);
  return run;
}

class ApplyModeTest : public wine_test::CleanMachineTest {
 protected:
  void SetUp() override {
    CleanMachineTest::SetUp();
    oldPlain_ = PlainWallpaper();
  }
  void TearDown() override {
    CleanMachineTest::TearDown();
    (void)SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", oldPlain_);
  }

  static void StoreOptionCode(const char* code) {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kOptionsKey, "Mervalis", code));
  }
  // A desktop that shows other wallpapers, so that remembering them would show.
  static void ShowOtherWallpapers() {
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", kOldPlainWallpaper));
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper", kOldActiveDesktopWallpaper));
  }

  // The template with the layout digit in place of its one tag.
  std::string AnimatedPage(char digit) const {
    std::string page = Template();
    const std::string tag = "<PAGE_LAYOUT>";
    const std::size_t at = page.find(tag);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(page.find(tag, at + 1), std::string::npos) << "the template holds the tag twice";
    if (at != std::string::npos) page.replace(at, tag.size(), 1, digit);
    return page;
  }

  // One apply run with a stored option code, on a desktop that shows other
  // wallpapers. With `remembered`, "lastwp" and "lastap" hold marks first,
  // otherwise they do not exist; either way the run must leave them alone.
  void ApplyAndCheck(const char* code, bool stretched, bool border, bool remembered) {
    const auto paths = wine_test::Paths();
    StoreOptionCode(code);
    ShowOtherWallpapers();
    if (remembered) {
      ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kCompanyKey, "lastwp", "mark wp"));
      ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kCompanyKey, "lastap", "mark ap"));
    }
    active_desktop_fixture::ClearCalls();

    const ApplyRun run = RunApplyMode();
    ASSERT_TRUE(run.ended) << "the apply run did not end";
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.windows, "") << "the apply run showed windows";

    // The background for this screen and the stored options.
    const std::string background = wine_test::ReadFileBytes(paths.imagesFolder + "background.bmp");
    wallpaper_test::ExpectScreenSizedBitmap(background);
    wallpaper_test::ExpectTheBackgroundLooksComposed(background, stretched, border);

    // The desktop was pointed at the page while it held the animated page.
    const auto calls = active_desktop_fixture::ReadAndClearCalls();
    const auto set = std::find(calls.begin(), calls.end(), "SetWallpaper|" + paths.pagePath + "|0");
    ASSERT_NE(set, calls.end()) << Join(calls);
    EXPECT_NE(std::find_if(set, calls.end(), [](const std::string& c) { return c.rfind("ApplyChanges|", 0) == 0; }),
              calls.end())
        << Join(calls);
    EXPECT_EQ(ActiveDesktopWallpaper(), paths.pagePath);
    EXPECT_EQ(PlainWallpaper(), "");
    const char digit = stretched ? '1' : '0';
    const std::string shown = wine_test::ReadFileBytes(active_desktop_fixture::AtApplyCopyPath(paths.pagePath));
    EXPECT_NE(shown.find(std::string("var pageLayout = ") + digit + "; // 0=Center, 1=Stretch"), std::string::npos);
    EXPECT_TRUE(shown == AnimatedPage(digit)) << "the page shown is not the template with the layout digit";
    // ... and the stub stays behind.
    EXPECT_EQ(wine_test::ReadFileBytes(paths.pagePath), wine_test::ExpectedStubPage(paths.controlPath));

    // Nothing else was written.
    EXPECT_EQ(Join(wine_test::FolderListing(paths.imagesFolder)), "background.bmp\n");
    EXPECT_FALSE(mervalis::FileExists(paths.controlPath));
    if (remembered) {
      EXPECT_EQ(Remembered("lastwp"), "mark wp");
      EXPECT_EQ(Remembered("lastap"), "mark ap");
    } else {
      EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::string(kCompanyKey), "lastwp"));
      EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::string(kCompanyKey), "lastap"));
    }
  }

  std::string oldPlain_;
};

class ApplyMode : public ApplyModeTest {};

TEST_F(ApplyMode, CentredWithBorderFromStoredCode) {
  NEEDS_DISPLAY(1024, 768, 24);
  ApplyAndCheck("2", false, true, true);
}

TEST_F(ApplyMode, StretchedFromStoredCode) {
  NEEDS_DISPLAY(1024, 768, 24);
  ApplyAndCheck("5", true, false, false);
}

TEST_F(ApplyMode, CentredWithBorderFromStoredCodeOnAWideScreen) {
  NEEDS_DISPLAY(1920, 1080, 24);
  ApplyAndCheck("2", false, true, false);
}

TEST_F(ApplyMode, StretchedFromStoredCodeOnAWideScreen) {
  NEEDS_DISPLAY(1920, 1080, 24);
  ApplyAndCheck("5", true, false, true);
}

TEST_F(ApplyMode, ReadOnlyBackgroundIsKeptWithoutABox) {
  const auto paths = wine_test::Paths();
  StoreOptionCode("5");
  ASSERT_TRUE(mervalis::ForceDirectories(paths.imagesFolder));
  const std::string background = paths.imagesFolder + "background.bmp";
  const std::string old = "BM an old background of another screen";
  ASSERT_TRUE(wine_test::WriteFileBytes(background, old));
  ASSERT_TRUE(::SetFileAttributesA(background.c_str(), FILE_ATTRIBUTE_READONLY));

  const ApplyRun run = RunApplyMode();
  ::SetFileAttributesA(background.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 1u) << "the background was not renewed";
  EXPECT_EQ(run.windows, "");
  EXPECT_EQ(wine_test::ReadFileBytes(background), old);
  // The rest of the run went on: the page was shown and the stub left.
  const std::string shown = wine_test::ReadFileBytes(active_desktop_fixture::AtApplyCopyPath(paths.pagePath));
  EXPECT_TRUE(shown == AnimatedPage('1'));
  EXPECT_EQ(wine_test::ReadFileBytes(paths.pagePath), wine_test::ExpectedStubPage(paths.controlPath));
  EXPECT_EQ(Join(wine_test::FolderListing(paths.imagesFolder)), "background.bmp\n");
}

// Where the shell shows the background itself, a background that could not be
// written and is missing is never made the wallpaper, and the run fails.
TEST_F(ApplyMode, AMissingBackgroundIsNotMadeTheWallpaper) {
  wine_test::ScopedWindowsVersion windows10("win10");
  ASSERT_TRUE(windows10.ok());
  const auto paths = wine_test::PerUserPaths();
  StoreOptionCode("5");
  ShowOtherWallpapers();
  const std::string background = paths.imagesFolder + "background.bmp";
  ASSERT_TRUE(mervalis::ForceDirectories(background));  // a folder in its way

  const ApplyRun run = RunApplyMode();
  ::RemoveDirectoryA(background.c_str());
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.windows, "");
  EXPECT_EQ(PlainWallpaper(), kOldPlainWallpaper);
}

// The desktop refuses the page (both tries): whoever started the run learns
// that the wallpaper is not ours, without a box.
TEST_F(ApplyMode, ARefusedWallpaperFailsTheRunSilently) {
  StoreOptionCode("5");
  active_desktop_fixture::SetRefusedSetWallpaperCalls(2);
  const ApplyRun run = RunApplyMode();
  active_desktop_fixture::SetRefusedSetWallpaperCalls(0);
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.windows, "");
}

// Watched from Linux through apply runs: the background and the page come
// only ever whole, renamed onto the old file. Never moved away, deleted,
// emptied or written in place, where a crash would leave the desktop on a
// missing or partial file.
TEST_F(ApplyMode, BackgroundAndPageAreOnlyEverReplacedWhole) {
  const auto paths = wine_test::Paths();
  StoreOptionCode("5");
  const std::string pageFolder = paths.pagePath.substr(0, paths.pagePath.find_last_of('\\') + 1);
  const std::string pageName = paths.pagePath.substr(pageFolder.size());
  ASSERT_TRUE(mervalis::ForceDirectories(paths.imagesFolder));
  ASSERT_TRUE(mervalis::ForceDirectories(pageFolder));
  wine_test::FileWatch watch({paths.imagesFolder, pageFolder});
  ASSERT_TRUE(watch.ok()) << "the watcher did not start";
  constexpr int kRuns = 2;
  for (int i = 0; i < kRuns; ++i) {
    const ApplyRun run = RunApplyMode();
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
  }
  int backgroundIn = 0;
  int pageIn = 0;
  std::string otherwise;
  for (const std::string& event : watch.Stop()) {
    const std::string name = event.substr(event.find(' ') + 1);
    const bool renamedIn = event.rfind("moved_to ", 0) == 0;
    int* count = name == "0 background.bmp" ? &backgroundIn : name == "1 " + pageName ? &pageIn : nullptr;
    if (count && renamedIn) ++*count;
    if (count && !renamedIn) otherwise += event + "\n";
  }
  EXPECT_EQ(otherwise, "");
  EXPECT_EQ(backgroundIn, kRuns);
  EXPECT_EQ(pageIn, 2 * kRuns) << "the page with its layout, then the stub page, each run";
}

// Another program takes the page file between the writing of the animated
// page and the stub page. With the log on and an install folder that
// cannot be made, `apply` stops at a box for each checkpoint line: the box of the line
// after the page was written is where the page is taken.
TEST_F(ApplyMode, PageTakenBeforeTheStubPageEndsInTheEntrysErrorBox) {
  const auto paths = wine_test::Paths();
  StoreOptionCode("5");
  std::string installFolder = paths.installFolder;
  installFolder.pop_back();
  ASSERT_FALSE(mervalis::DirectoryExists(installFolder));
  ASSERT_TRUE(wine_test::WriteFileBytes(installFolder, "a file where the install folder goes"));
  ASSERT_FALSE(mervalis::FileExists(paths.pagePath));
  active_desktop_fixture::ClearCalls();

  HANDLE held = INVALID_HANDLE_VALUE;
  std::vector<std::string> errors;  // boxes other than the debug log's
  std::string errorCaption;
  bool heldOnSight = false;
  DWORD code = 1;
  bool ended = false;
  {
    const wine_test::LogOn logOn;
    Process program(wine_test::ProgramPath(), "apply");
    ASSERT_TRUE(program.started());
    HWND answered = nullptr;
    ended = robot::WaitUntil([&] {
      HWND window = robot::FindTopLevel({robot::kMessageBoxClass, "", program.id()});
      if (window && window != answered) {
        const auto box = robot::ReadMessageBox(window);
        if (box.buttons.empty()) return false;  // still being made
        if (box.text == kDebugDirectoryBox) {
          if (held == INVALID_HANDLE_VALUE && mervalis::FileExists(paths.pagePath)) {
            held = ::CreateFileA(paths.pagePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
            heldOnSight = held != INVALID_HANDLE_VALUE;
          }
        } else {
          errors.push_back(box.text);
          errorCaption = box.caption;
        }
        robot::PressMessageBoxButton(box, "OK");
        answered = window;
      }
      return !program.Running();
    }, 60000);
    if (ended) (void)program.WaitForExit(1000, &code);
  }
  if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
  ::DeleteFileA(installFolder.c_str());

  ASSERT_TRUE(ended) << "the apply run did not end";
  ASSERT_TRUE(heldOnSight) << "the page file never appeared, or could not be taken";
  ASSERT_EQ(errors.size(), 1u) << Join(errors);
  EXPECT_EQ(errorCaption, "apply");
  EXPECT_NE(errors[0].find(paths.pagePath), std::string::npos) << errors[0];
  EXPECT_EQ(code, 1u) << "the run failed";
  // The sequence ended there: the page never held the tag, and stays the
  // animated page the desktop was pointed at.
  std::string animated = Template();
  animated.replace(animated.find("<PAGE_LAYOUT>"), 13, "1");
  EXPECT_TRUE(wine_test::ReadFileBytes(paths.pagePath) == animated);
}

// The install button: the full run.
class WindowApply : public wine_test::CleanMachineTest {
 protected:
  WindowApply() : CleanMachineTest(180000) {}
  void SetUp() override {
    CleanMachineTest::SetUp();
    oldPlain_ = PlainWallpaper();
  }
  void TearDown() override {
    if (program_) program_->Kill();
    CleanMachineTest::TearDown();
    (void)SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", oldPlain_);
  }

  // Presses the button of an installed wallpaper ("Apply Wallpaper": no
  // agreement) and waits for the done panel, then closes the window.
  void ApplyAgainThroughWindow() {
    using namespace mervalis::ui;
    program_.emplace(wine_test::ProgramPath(), "");
    HWND window = robot::WaitForWindow(
        {wine_test::contract::kMainFormClass, wine_test::contract::kMainFormCaption, program_->id()});
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(robot::PressButton(window, kBtnInstall));
    std::string boxes;
    ASSERT_TRUE(wine_test::AnswerBoxesUntilDone(window, program_->id(), boxes)) << "no done panel; boxes: " << boxes;
    EXPECT_EQ(boxes, "");
    ASSERT_TRUE(robot::PressButton(window, kBtnFinish));
    ASSERT_TRUE(program_->WaitForExit(10000));
  }

  std::optional<Process> program_;
  std::string oldPlain_;
};

TEST_F(WindowApply, PreviousWallpapersAreRememberedOnceAndTheControlRegistered) {
  const auto paths = wine_test::Paths();
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", kOldPlainWallpaper));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper", kOldActiveDesktopWallpaper));
  ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kControlClassKey));

  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  EXPECT_EQ(Remembered("lastwp"), kOldPlainWallpaper);
  EXPECT_EQ(Remembered("lastap"), kOldActiveDesktopWallpaper);
  // The registration tool runs on its own; the control registers its class.
  EXPECT_TRUE(robot::WaitUntil([] { return KeyExists(HKEY_LOCAL_MACHINE, kControlClassKey); }, 20000))
      << "the runtime control was not registered";

  // Again while the page is on the desktop: nothing is remembered this time,
  // whatever the plain wallpaper is now.
  ASSERT_EQ(ActiveDesktopWallpaper(), paths.pagePath);
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", "C:\\windows\\Another.bmp"));
  ApplyAgainThroughWindow();
  if (HasFatalFailure()) return;
  EXPECT_EQ(Remembered("lastwp"), kOldPlainWallpaper);
  EXPECT_EQ(Remembered("lastap"), kOldActiveDesktopWallpaper);

  // The page named in another letter case and place is still this wallpaper.
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper",
                        "d:\\elsewhere\\QUORVANE - mervalis.HTML"));
  ApplyAgainThroughWindow();
  if (HasFatalFailure()) return;
  EXPECT_EQ(Remembered("lastwp"), kOldPlainWallpaper);
  EXPECT_EQ(Remembered("lastap"), kOldActiveDesktopWallpaper);
}

// Wallpapers named with characters outside the ANSI code page (a user's
// folder with a CJK name, an emoji as a surrogate pair) are remembered
// exactly: written and read here with the registry's wide-character calls.
TEST_F(WindowApply, PreviousWallpapersWithAnyCharactersAreRememberedExactly) {
  const std::wstring plain = L"C:\\users\\壁紙テスト \U0001F600\\Old Plain.bmp";
  const std::wstring page = L"C:\\users\\壁紙テスト \U0001F600\\Old Page.html";
  for (const auto& [key, value] : {std::pair{kPlainDesktopKey, &plain}, std::pair{kActiveDesktopKey, &page}}) {
    ASSERT_TRUE(wine_test::SetValue(HKEY_CURRENT_USER, key, "Wallpaper", REG_SZ, value->c_str(),
                                    static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t))));
  }

  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  EXPECT_TRUE(wine_test::ReadValueW(L"Software\\Quorvanesoft", L"lastwp") == plain) << "lastwp";
  EXPECT_TRUE(wine_test::ReadValueW(L"Software\\Quorvanesoft", L"lastap") == page) << "lastap";
}

// Keys locked against changes (by a policy, say) are read all the same, and
// a wallpaper that cannot be read at all never replaces a remembered one.
TEST_F(WindowApply, LockedWallpaperKeysAreReadAndUnreadableOnesKeepWhatWasRemembered) {
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", kOldPlainWallpaper));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper", kOldActiveDesktopWallpaper));
  {
    wine_test::LockedKey locked(HKEY_CURRENT_USER, kActiveDesktopKey, wine_test::kReadOnlyAccess);
    ASSERT_TRUE(locked.ok());
    wine_test::InstallThroughWindow();
    if (HasFatalFailure()) return;
  }
  EXPECT_EQ(Remembered("lastwp"), kOldPlainWallpaper);
  EXPECT_EQ(Remembered("lastap"), kOldActiveDesktopWallpaper);

  // Another wallpaper on the desktop now, but its key cannot be read.
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kActiveDesktopKey, "Wallpaper", "C:\\windows\\Web\\Wallpaper\\New.html"));
  ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper", "C:\\windows\\New.bmp"));
  {
    wine_test::LockedKey locked(HKEY_CURRENT_USER, kActiveDesktopKey, wine_test::kNoAccess);
    ASSERT_TRUE(locked.ok());
    ApplyAgainThroughWindow();
    if (HasFatalFailure()) return;
  }
  EXPECT_EQ(Remembered("lastwp"), kOldPlainWallpaper);
  EXPECT_EQ(Remembered("lastap"), kOldActiveDesktopWallpaper);
}

}  // namespace
