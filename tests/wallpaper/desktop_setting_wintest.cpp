// Setting the desktop wallpaper under Wine: the plain wallpaper through
// SystemParametersInfo and the default profile, the Active Desktop through the
// stand-in that the test prefix registers under the shell's class id
// (tests/fixtures/active_desktop).
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "fixtures/active_desktop/call_record.h"
#include "common/registry_win.h"
#include "common/win_handles.h"
#include "wallpaper/active_desktop.h"
#include "wallpaper/desktop_setting_win.h"
#include "wine/support.h"

namespace {

using Calls = std::vector<std::string>;
using wine_test::TempFolder;
using active_desktop_fixture::ReadAndClearCalls;


std::string ReadString(HKEY root, const char* path, const char* name) {
  mervalis::RegistryKey registry;
  std::string value;
  if (registry.Open(root, path, KEY_READ) != ERROR_SUCCESS ||
      !mervalis::ReadOrMissing(registry.ReadString(name, value))) {
    return "<missing>";
  }
  return value;
}

std::string Narrow(const wchar_t* text) {
  char buffer[MAX_PATH * 2] = {};
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, buffer, sizeof(buffer), nullptr, nullptr);
  return buffer;
}

// What a fresh Active Desktop object reports as the wallpaper.
std::string ReportedWallpaper() {
  mervalis::ComInit com;
  mervalis::ComPtr<mervalis::IActiveDesktop> desktop;
  if (FAILED(::CoCreateInstance(mervalis::CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER,
                                mervalis::IID_IActiveDesktop, desktop.put_void()))) {
    return "<no object>";
  }
  wchar_t buffer[MAX_PATH] = {};
  if (FAILED(desktop->GetWallpaper(buffer, MAX_PATH, 0))) return "<failed>";
  return Narrow(buffer);
}

std::string StoredWallpaper() {
  return ReadString(HKEY_CURRENT_USER, active_desktop_fixture::kWallpaperKey, "Wallpaper");
}

class ActiveDesktopWallpaper : public testing::Test {
 protected:
  void SetUp() override {
    active_desktop_fixture::SetRefusedSetWallpaperCalls(0);
    page_ = TempFolder() + "Quorvane - Desktop Test.html";
    ASSERT_TRUE(wine_test::WriteFileBytes(page_, "<html>animated page</html>"));
    ::DeleteFileA(active_desktop_fixture::AtApplyCopyPath(page_).c_str());
    active_desktop_fixture::ClearCalls();
  }
  void TearDown() override {
    active_desktop_fixture::SetRefusedSetWallpaperCalls(0);
    active_desktop_fixture::ClearCalls();
    ::DeleteFileA(page_.c_str());
    ::DeleteFileA(active_desktop_fixture::AtApplyCopyPath(page_).c_str());
  }
  std::string page_;
};

TEST(ActiveDesktopStandIn, IsWhatTheShellClassIdCreatesInThePrefix) {
  const std::string server =
      ReadString(HKEY_CLASSES_ROOT, "CLSID\\{75048700-EF1F-11D0-9888-006097DEACF9}\\InprocServer32", "");
  EXPECT_NE(server.find("fixture_activedesktop.dll"), std::string::npos) << server;
  active_desktop_fixture::ClearCalls();
  (void)ReportedWallpaper();
  EXPECT_EQ(ReadAndClearCalls(), (Calls{"Create", "GetWallpaper|260|0", "Destroy"}));
}

TEST_F(ActiveDesktopWallpaper, PageIsSwitchedOnSetSavedRegeneratedAndRefreshedInOneCall) {
  EXPECT_TRUE(mervalis::SetActiveDesktopWallpaper(page_));
  EXPECT_EQ(ReadAndClearCalls(), (Calls{"Create", "SetDesktopItemOptions|12|1|1|0", "SetWallpaper|" + page_ + "|0",
                                        "ApplyChanges|7", "Destroy"}));
  EXPECT_EQ(StoredWallpaper(), page_);
  EXPECT_EQ(ReportedWallpaper(), page_);
  // The desktop was told to show the page while the page was there.
  EXPECT_EQ(wine_test::ReadFileBytes(active_desktop_fixture::AtApplyCopyPath(page_)), "<html>animated page</html>");
}

TEST_F(ActiveDesktopWallpaper, NoWallpaperIsNoneAndLeavesTheActiveDesktopAsItIs) {
  for (const char* path : {"", "(None)"}) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(mervalis::SetActiveDesktopWallpaper(page_));
    active_desktop_fixture::ClearCalls();
    EXPECT_TRUE(mervalis::SetActiveDesktopWallpaper(path));
    EXPECT_EQ(ReadAndClearCalls(), (Calls{"Create", "SetWallpaper|(None)|0", "ApplyChanges|7", "Destroy"}));
    EXPECT_EQ(StoredWallpaper(), "(None)");
    EXPECT_EQ(ReportedWallpaper(), "(None)");
  }
}

TEST_F(ActiveDesktopWallpaper, ARefusedWallpaperIsTriedOnceMore) {
  active_desktop_fixture::SetRefusedSetWallpaperCalls(1);
  EXPECT_TRUE(mervalis::SetActiveDesktopWallpaper(page_));
  EXPECT_EQ(ReadAndClearCalls(),
            (Calls{"Create", "SetDesktopItemOptions|12|1|1|0", "SetWallpaper|" + page_ + "|0",
                   "SetWallpaper|" + page_ + "|0", "ApplyChanges|7", "Destroy"}));
  EXPECT_EQ(StoredWallpaper(), page_);
}

TEST_F(ActiveDesktopWallpaper, TwoRefusalsFailButTheChangesAreStillApplied) {
  ASSERT_TRUE(mervalis::SetActiveDesktopWallpaper("(None)"));
  active_desktop_fixture::ClearCalls();
  active_desktop_fixture::SetRefusedSetWallpaperCalls(2);
  EXPECT_FALSE(mervalis::SetActiveDesktopWallpaper(page_));
  EXPECT_EQ(ReadAndClearCalls(),
            (Calls{"Create", "SetDesktopItemOptions|12|1|1|0", "SetWallpaper|" + page_ + "|0",
                   "SetWallpaper|" + page_ + "|0", "ApplyChanges|7", "Destroy"}));
  EXPECT_EQ(StoredWallpaper(), "(None)");
}

TEST_F(ActiveDesktopWallpaper, LeavesTheThreadsComAsItFoundIt) {
  // COM off before: off after (CoInitialize reports a first initialisation).
  ASSERT_TRUE(mervalis::SetActiveDesktopWallpaper(page_));
  HRESULT hr = ::CoInitialize(nullptr);
  EXPECT_EQ(hr, S_OK);
  // COM already on: the call works and COM stays on.
  ASSERT_TRUE(mervalis::SetActiveDesktopWallpaper("(None)"));
  EXPECT_EQ(::CoInitialize(nullptr), S_FALSE);
  ::CoUninitialize();
  ::CoUninitialize();
  EXPECT_EQ(ReportedWallpaper(), "(None)");
}

// The default profile's desktop key, kept aside for a test and put back.
class DefaultProfileDesktop {
 public:
  static constexpr char kKey[] = ".DEFAULT\\Control Panel\\Desktop";
  static constexpr char kBackup[] = ".DEFAULT\\MervalisTestDesktopBackup";

  DefaultProfileDesktop() {
    mervalis::DeleteKeyTree(HKEY_USERS, kBackup);
    existed_ = mervalis::KeyExists(HKEY_USERS, kKey);
    if (existed_) {
      mervalis::RegistryKey backup;
      if (backup.Create(HKEY_USERS, kBackup) == ERROR_SUCCESS) ::SHCopyKeyA(HKEY_USERS, kKey, backup.get(), 0);
    }
  }
  ~DefaultProfileDesktop() {
    mervalis::DeleteKeyTree(HKEY_USERS, kKey);
    if (existed_) {
      mervalis::RegistryKey key;
      if (key.Create(HKEY_USERS, kKey) == ERROR_SUCCESS) ::SHCopyKeyA(HKEY_USERS, kBackup, key.get(), 0);
    }
    mervalis::DeleteKeyTree(HKEY_USERS, kBackup);
  }
  DefaultProfileDesktop(const DefaultProfileDesktop&) = delete;
  DefaultProfileDesktop& operator=(const DefaultProfileDesktop&) = delete;

 private:
  bool existed_ = false;
};

std::string CurrentWindowsWallpaper() {
  char buffer[MAX_PATH] = {};
  ::SystemParametersInfoA(SPI_GETDESKWALLPAPER, MAX_PATH, buffer, 0);
  return buffer;
}

// A 1x1 24-bit BMP: file header, info header, one padded pixel row.
const std::string kTinyBitmap(
    "BM\x3A\0\0\0\0\0\0\0\x36\0\0\0"
    "\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0\0\0\0\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0"
    "\x10\x20\x30\0",
    58);

TEST(WindowsWallpaper, PictureAndNoneReachTheUserAndTheDefaultProfile) {
  DefaultProfileDesktop keep;
  ASSERT_EQ(mervalis::RegistryKey().Create(HKEY_USERS, DefaultProfileDesktop::kKey), ERROR_SUCCESS);

  const std::string picture = TempFolder() + "mervalis wallpaper test.bmp";
  ASSERT_TRUE(wine_test::WriteFileBytes(picture, kTinyBitmap));
  EXPECT_TRUE(mervalis::SetWindowsWallpaper(picture));
  EXPECT_EQ(CurrentWindowsWallpaper(), picture);
  EXPECT_EQ(ReadString(HKEY_USERS, DefaultProfileDesktop::kKey, "Wallpaper"), picture);

  EXPECT_TRUE(mervalis::SetWindowsWallpaper(""));
  EXPECT_EQ(CurrentWindowsWallpaper(), "");
  EXPECT_EQ(ReadString(HKEY_USERS, DefaultProfileDesktop::kKey, "Wallpaper"), "");
  ::DeleteFileA(picture.c_str());
}

// Clearing is left out only when there is nothing to clear: a wallpaper that
// only the profile still names (written there by another program) goes too.
TEST(WindowsWallpaper, NoneAlsoClearsAWallpaperOnlyTheProfileNames) {
  DefaultProfileDesktop keep;
  ASSERT_TRUE(mervalis::SetWindowsWallpaper(""));
  ASSERT_EQ(CurrentWindowsWallpaper(), "");
  ASSERT_TRUE(wine_test::SetString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper",
                                   "C:\\windows\\another wallpaper.bmp"));

  EXPECT_TRUE(mervalis::SetWindowsWallpaper(""));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"), "");
  EXPECT_EQ(CurrentWindowsWallpaper(), "");
  // And once more, now that both are clear.
  EXPECT_TRUE(mervalis::SetWindowsWallpaper(""));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper"), "");
}

// A picture whose path has characters outside the ANSI code page (CJK, an
// emoji as a surrogate pair) is set and read back exactly: the way a
// remembered wallpaper comes back at the uninstall.
TEST(WindowsWallpaper, APathWithAnyCharactersIsSetAndReadBackWhole) {
  DefaultProfileDesktop keep;
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring pictureW = std::wstring(temp) + L"壁紙テスト \U0001F600.bmp";
  const std::string picture = TempFolder() + "壁紙テスト \xF0\x9F\x98\x80.bmp";
  HANDLE file = ::CreateFileW(pictureW.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, kTinyBitmap.data(), static_cast<DWORD>(kTinyBitmap.size()), &written, nullptr);
  ::CloseHandle(file);

  EXPECT_TRUE(mervalis::SetWindowsWallpaper(picture));
  wchar_t shown[MAX_PATH] = {};
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, shown, 0));
  EXPECT_TRUE(pictureW == shown) << "the session's wallpaper is not the path given";
  std::string read;
  EXPECT_TRUE(mervalis::ReadWallpaperValue("Control Panel\\Desktop", read));
  EXPECT_EQ(read, picture);

  EXPECT_TRUE(mervalis::SetWindowsWallpaper(""));
  ::DeleteFileW(pictureW.c_str());
}

TEST(WindowsWallpaper, MissingDefaultProfileKeyIsNotCreated) {
  DefaultProfileDesktop keep;
  ASSERT_TRUE(mervalis::DeleteKeyTree(HKEY_USERS, DefaultProfileDesktop::kKey));
  EXPECT_TRUE(mervalis::SetWindowsWallpaper(""));
  EXPECT_FALSE(mervalis::KeyExists(HKEY_USERS, DefaultProfileDesktop::kKey));
}

}  // namespace
