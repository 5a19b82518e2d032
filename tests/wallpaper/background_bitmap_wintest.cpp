// The background bitmap file under Wine: its size and content for the
// screen, the safe replacement of the previous file, and who hears about a
// failure. The program draws the pictures of its resources; the file is
// compared with the source tree's pictures as Windows' own codecs read them.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/application_win.h"
#include "common/folders_win.h"
#include "robot.h"
#include "wallpaper/background_bitmap_win.h"
#include "wallpaper/screen_bitmap_check.h"
#include "wine/support.h"

namespace {

using mervalis::BitmapRequest;
using mervalis::WriteWallpaperBitmap;

// This operation's lines of the log (the tests switch it on).
std::vector<std::string> BitmapLogLines() {
  const std::string text = wine_test::LogMessages();
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.rfind("WriteWallpaperBitmap - ", 0) == 0) lines.push_back(line.substr(23));
    start = end + 2;
  }
  return lines;
}

// Watches this process for message boxes while a test runs, reads the first
// and answers every one with OK, so that a box can never hang the test.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher() { thread_ = ::CreateThread(nullptr, 0, &MessageBoxWatcher::Run, this, 0, nullptr); }
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
  ~MessageBoxWatcher() { Stop(); }

  // Ends the watch; afterwards count() and first() are final.
  void Stop() {
    if (!thread_) return;
    done_ = true;
    ::WaitForSingleObject(thread_, 10000);
    ::CloseHandle(thread_);
    thread_ = nullptr;
  }
  [[nodiscard]] int count() const { return count_; }
  [[nodiscard]] const robot::MessageBoxInfo& first() const { return first_; }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* watcher = static_cast<MessageBoxWatcher*>(self);
    while (!watcher->done_) {
      auto box = robot::WaitForMessageBox("", ::GetCurrentProcessId(), 100);
      if (!box) continue;
      if (watcher->count_ == 0) watcher->first_ = *box;
      ++watcher->count_;
      robot::PressMessageBoxButton(*box, "OK");
      (void)robot::WaitForWindowGone(box->hwnd, 5000);
    }
    return 0;
  }

  HANDLE thread_ = nullptr;
  std::atomic<bool> done_{false};
  std::atomic<int> count_{0};
  robot::MessageBoxInfo first_;
};

class BackgroundBitmap : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    program_ = ::LoadLibraryExA(wine_test::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  static void TearDownTestSuite() {
    if (program_) ::FreeLibrary(program_);
    program_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(program_, nullptr) << "cannot open " << wine_test::ProgramPath();
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "mervalis_bitmap_test\\";
    Clean();
    ASSERT_TRUE(mervalis::ForceDirectories(folder_));
    path_ = folder_ + "background.bmp";
    log_.emplace();
  }
  void TearDown() override {
    Clean();
    log_.reset();
  }

  void Clean() const {
    for (const std::string& name : wine_test::FolderListing(folder_)) {
      const std::string file = folder_ + name;
      ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileA(file.c_str());
    }
    ::RemoveDirectoryA(folder_.c_str());
  }

  [[nodiscard]] BitmapRequest Request(bool stretched, bool border, bool applyMode) const {
    BitmapRequest request;
    request.path = path_;
    request.stretched = stretched;
    request.showBorder = border;
    request.applyMode = applyMode;
    request.pictureModule = program_;
    return request;
  }

  static HMODULE program_;
  std::string folder_;
  std::string path_;
  std::optional<wine_test::LogOn> log_;
};
HMODULE BackgroundBitmap::program_ = nullptr;

TEST_F(BackgroundBitmap, CentredWithBorderIsComposedForTheScreen) {
  NEEDS_DISPLAY(1024, 768, 24);
  ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1024);
  ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 768);
  MessageBoxWatcher boxes;
  const BitmapRequest request = Request(false, true, false);
  EXPECT_TRUE(WriteWallpaperBitmap(request));
  boxes.Stop();
  EXPECT_EQ(boxes.count(), 0);

  const std::string file = wine_test::ReadFileBytes(path_);
  wallpaper_test::ExpectScreenSizedBitmap(file);
  wallpaper_test::ExpectTheBackgroundLooksComposed(file, request.stretched, request.showBorder);
  EXPECT_EQ(wine_test::FolderListing(folder_), std::vector<std::string>{"background.bmp"});
  EXPECT_EQ(BitmapLogLines(),
            (std::vector<std::string>{"Begin", "After Var Dec", "After Stretch Check", "Before Border",
                                      "Before Draw", "After Draw", "Before File Save", "End"}));
}

TEST_F(BackgroundBitmap, StretchedReplacesTheOldFileWithoutAFrame) {
  ASSERT_TRUE(wine_test::WriteFileBytes(path_, "the previous background"));
  const BitmapRequest request = Request(true, true, true);  // the border box is ignored
  EXPECT_TRUE(WriteWallpaperBitmap(request));
  const std::string file = wine_test::ReadFileBytes(path_);
  wallpaper_test::ExpectScreenSizedBitmap(file);
  wallpaper_test::ExpectTheBackgroundLooksComposed(file, true, false);
  // Nothing stays beside it.
  EXPECT_EQ(wine_test::FolderListing(folder_), std::vector<std::string>{"background.bmp"});
  EXPECT_EQ(BitmapLogLines(),
            (std::vector<std::string>{"Begin", "After Var Dec", "After Stretch Check", "Before Draw",
                                      "After Draw", "Before File Save", "End"}));

  // The next run: the centred picture. The spare an older version kept
  // beside the background goes with it.
  ASSERT_TRUE(wine_test::WriteFileBytes(path_ + ".old", "an older version's spare"));
  const BitmapRequest centred = Request(false, false, true);
  EXPECT_TRUE(WriteWallpaperBitmap(centred));
  wallpaper_test::ExpectTheBackgroundLooksComposed(wine_test::ReadFileBytes(path_), false, false);
  EXPECT_EQ(wine_test::FolderListing(folder_), std::vector<std::string>{"background.bmp"});
}

// Leftovers beside the background, a temporary file and the spare, still
// open in another program (a viewer that shares their deletion): each later
// write goes on all the same.
TEST_F(BackgroundBitmap, LeftoversHeldOpenByAnotherProgramDoNotStopLaterWrites) {
  ASSERT_TRUE(wine_test::WriteFileBytes(path_, "the previous background"));
  std::vector<HANDLE> held;
  for (const char* leftover : {".tmp", ".old"}) {
    ASSERT_TRUE(wine_test::WriteFileBytes(path_ + leftover, "a leftover"));
    held.push_back(::CreateFileA((path_ + leftover).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(held.back(), INVALID_HANDLE_VALUE);
  }
  bool written[2] = {};
  for (bool& run : written) run = WriteWallpaperBitmap(Request(false, false, true));
  const std::string file = wine_test::ReadFileBytes(path_);
  for (HANDLE handle : held) ::CloseHandle(handle);
  EXPECT_TRUE(written[0]);
  EXPECT_TRUE(written[1]);
  wallpaper_test::ExpectTheBackgroundLooksComposed(file, false, false);
}

TEST_F(BackgroundBitmap, ReadOnlyOldFileIsKeptAndNothingIsLeftBehind) {
  const std::string old = "the previous background";
  ASSERT_TRUE(wine_test::WriteFileBytes(path_, old));
  ASSERT_TRUE(::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  MessageBoxWatcher boxes;
  EXPECT_FALSE(WriteWallpaperBitmap(Request(false, true, true)));
  boxes.Stop();
  EXPECT_EQ(boxes.count(), 0) << "the apply mode shows no box";
  EXPECT_TRUE(wine_test::ReadFileBytes(path_) == old) << "the old file was changed";
  EXPECT_EQ(wine_test::FolderListing(folder_), std::vector<std::string>{"background.bmp"});
}

TEST_F(BackgroundBitmap, OldFileInUseIsKeptAndTheNewOneRemoved) {
  const std::string old = "the previous background";
  ASSERT_TRUE(wine_test::WriteFileBytes(path_, old));
  // Held open without sharing, as a program showing it might.
  HANDLE held = ::CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const bool written = WriteWallpaperBitmap(Request(false, false, true));
  ::CloseHandle(held);
  EXPECT_FALSE(written);
  EXPECT_TRUE(wine_test::ReadFileBytes(path_) == old) << "the old file was changed";
  EXPECT_EQ(wine_test::FolderListing(folder_), std::vector<std::string>{"background.bmp"});
}

TEST_F(BackgroundBitmap, MissingFolderIsReportedInABoxOutsideTheApplyMode) {
  BitmapRequest request = Request(false, true, false);
  request.path = folder_ + "missing\\background.bmp";
  // The box is captioned with the application title, whatever it is.
  mervalis::Application& application = mervalis::Application::Instance();
  const std::string title = application.Title();
  application.SetTitle("Quorvanesoft");
  MessageBoxWatcher boxes;
  EXPECT_FALSE(WriteWallpaperBitmap(request));
  boxes.Stop();
  application.SetTitle(title);
  ASSERT_EQ(boxes.count(), 1);
  EXPECT_EQ(boxes.first().text, "Cannot create file " + request.path);
  EXPECT_EQ(boxes.first().caption, "Quorvanesoft");
  EXPECT_TRUE(boxes.first().hasIcon);
  EXPECT_EQ(boxes.first().buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(mervalis::DirectoryExists(folder_ + "missing"));
  EXPECT_EQ(BitmapLogLines().back(), "End");
}

TEST_F(BackgroundBitmap, MissingFolderInTheApplyModeShowsNoBox) {
  BitmapRequest request = Request(false, true, true);
  request.path = folder_ + "missing\\background.bmp";
  MessageBoxWatcher boxes;
  EXPECT_FALSE(WriteWallpaperBitmap(request));
  boxes.Stop();
  EXPECT_EQ(boxes.count(), 0);
}

TEST_F(BackgroundBitmap, SizeFollowsTheScreen) {
  NEEDS_DISPLAY(1920, 1080, 24);
  ASSERT_EQ(::GetSystemMetrics(SM_CXSCREEN), 1920);
  ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 1080);
  const BitmapRequest request = Request(false, true, true);
  EXPECT_TRUE(WriteWallpaperBitmap(request));
  const std::string file = wine_test::ReadFileBytes(path_);
  wallpaper_test::ExpectScreenSizedBitmap(file);
  wallpaper_test::ExpectTheBackgroundLooksComposed(file, request.stretched, request.showBorder);
}

}  // namespace
