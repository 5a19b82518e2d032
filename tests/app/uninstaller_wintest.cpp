// The uninstaller under Wine: an install taken back completely, the previous
// desktop restored, and what the family shares kept while others need it.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "robot.h"
#include "wallpaper/locked_key.h"
#include "wine/contract_literals.h"
#include "wine/installation.h"
#include "wine/snapshot.h"
#include "wine/support.h"

namespace {

using namespace wine_test::contract;
using mervalis::KeyExists;
using wine_test::Process;

constexpr char kCopyName[] = "QuorUninst1.exe";
constexpr const char* kPictures[] = {"fish1_l.gif", "fish1_r.gif", "fish2_l.gif", "fish2_r.gif", "fish3_l.gif",
                                     "fish3_r.gif", "fish4_l.gif", "fish4_r.gif", "bubble1.png", "bubble2.png",
                                     "bubble1.gif", "bubble2.gif", "fish5_l.gif", "fish5_r.gif", "fish6_l.gif",
                                     "fish6_r.gif"};

// What the uninstaller leaves on purpose, and what Windows (Wine) changes by
// itself while programs run: neither is a remnant of the install.
const std::vector<std::string> kExpectedChanges = {
    "hkcu\\software\\quorvanesoft",              // the two keys, "lastwp" and "lastap"
    "quoruninst1.exe",                           // the uninstaller copy
    "hkcu\\software\\wine",                      // Wine's own state
    "hklm\\software\\wine",
    "hkcu\\software\\mervalistests",             // the stand-in's own record
    "mervalis_active_desktop_calls.txt",
    ".at-apply",
    "\\temp\\",                                  // temporary files
    "\\windows\\logs",
    "hklm\\software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
    "hkcu\\software\\microsoft\\windows\\currentversion\\explorer",
    "hkcu\\software\\microsoft\\internet explorer\\desktop\\general|wallpaper",  // restored to its old value
    "hkcu\\control panel\\desktop|wallpaper",
    "hku\\.default\\control panel\\desktop|wallpaper",
};

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& l : lines) text += l + "\n";
  return text;
}

void SetActiveDesktopWallpaper(const std::string& value) {
  mervalis::RegistryKey r;
  ASSERT_EQ(r.Create(HKEY_CURRENT_USER, kActiveDesktopKey), ERROR_SUCCESS);
  ASSERT_EQ(r.WriteString("Wallpaper", value), ERROR_SUCCESS);
}

void SetSaved(const char* lastwp, const char* lastap) {
  mervalis::RegistryKey r;
  ASSERT_EQ(r.Create(HKEY_CURRENT_USER, kCompanyKey), ERROR_SUCCESS);
  ASSERT_EQ(r.WriteString("lastwp", lastwp), ERROR_SUCCESS);
  ASSERT_EQ(r.WriteString("lastap", lastap), ERROR_SUCCESS);
}

// The system folder's copy run on a desktop showing `activeDesktop`, with the
// wallpapers from before the install saved as "lastwp" and "lastap".
void UninstallOver(const std::string& activeDesktop, const char* lastwp, const char* lastap) {
  SetActiveDesktopWallpaper(activeDesktop);
  SetSaved(lastwp, lastap);
  active_desktop_fixture::ClearCalls();
  wine_test::Uninstall(wine_test::ProgramPath(), "douninstall");
}

std::vector<std::string> SetWallpaperCalls() {
  std::vector<std::string> calls;
  for (const auto& line : active_desktop_fixture::ReadAndClearCalls()) {
    if (line.rfind("SetWallpaper|", 0) == 0 || line.rfind("SetDesktopItemOptions", 0) == 0) calls.push_back(line);
  }
  return calls;
}

// The picture that was the wallpaper before the install.
constexpr char kOldPicture[] = "C:\\windows\\old.bmp";

class Uninstaller : public wine_test::CleanMachineTest {
 protected:
  Uninstaller() : CleanMachineTest(180000) {}
  void SetUp() override {
    CleanMachineTest::SetUp();
    ASSERT_TRUE(wine_test::WriteFileBytes(kOldPicture, "BM old picture"));
  }
  void TearDown() override {
    CleanMachineTest::TearDown();
    ::DeleteFileA((mervalis::GetSystemFolder() + kCopyName).c_str());
    ::DeleteFileA(kOldPicture);
  }
};

TEST_F(Uninstaller, InstallThenUninstallLeavesTheMachineAsBefore) {
  // What Windows has from the start, and Wine does not.
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetWallpaperFolder()));
  {
    mervalis::RegistryKey desktop;
    ASSERT_EQ(desktop.Create(HKEY_CURRENT_USER, kActiveDesktopKey), ERROR_SUCCESS);
  }
  const auto scope = wine_test::MachineScope();
  const auto before = wine_test::TakeSnapshot(scope);
  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  const auto paths = wine_test::Paths();
  ASSERT_TRUE(mervalis::FileExists(paths.applicationFile));
  // As from "Add or Remove Programs": the installed copy with "uninstall".
  wine_test::Uninstall(paths.applicationFile, "uninstall");
  // The registration tool may still be finishing.
  ::Sleep(2000);
  const auto after = wine_test::TakeSnapshot(scope);
  const auto difference = wine_test::Difference(before, after, kExpectedChanges);
  EXPECT_TRUE(difference.empty()) << Join(difference);
  EXPECT_TRUE(mervalis::FileExists(mervalis::GetSystemFolder() + kCopyName));
}

TEST_F(Uninstaller, SecondRunOnACleanMachineChangesNothing) {
  const auto scope = wine_test::MachineScope();
  const auto before = wine_test::TakeSnapshot(scope);
  wine_test::Uninstall(wine_test::ProgramPath(), "douninstall");
  const auto difference = wine_test::Difference(before, wine_test::TakeSnapshot(scope), kExpectedChanges);
  EXPECT_TRUE(difference.empty()) << Join(difference);
}

TEST_F(Uninstaller, WallpaperNotCurrentIsLeftAlone) {
  UninstallOver("C:\\windows\\Web\\Wallpaper\\Another.html", "C:\\old.bmp", "C:\\old.html");
  EXPECT_TRUE(SetWallpaperCalls().empty());
  EXPECT_NE(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), "C:\\old.bmp");
}

TEST_F(Uninstaller, OnlyThePlainWallpaperWasSaved) {
  // The page name is found in any letter case, anywhere in the value.
  UninstallOver("c:\\WINDOWS\\web\\wallpaper\\quorvane - MERVALIS.HTML", "C:\\windows\\old.bmp", "");
  EXPECT_TRUE(SetWallpaperCalls().empty());
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"),
            "C:\\windows\\old.bmp");
}

// A previous picture that is gone since is not put back: the desktop would
// name a missing file once our background goes. It gets no picture instead.
TEST_F(Uninstaller, PreviousPictureDeletedSinceLeavesNoPicture) {
  ASSERT_TRUE(::DeleteFileA(kOldPicture));
  UninstallOver(wine_test::Paths().pagePath, "C:\\windows\\old.bmp", "");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), "");
}

TEST_F(Uninstaller, NothingSavedSetsTheActiveDesktopToNone) {
  UninstallOver(wine_test::Paths().pagePath, "", "");
  EXPECT_EQ(SetWallpaperCalls(), (std::vector<std::string>{"SetWallpaper|(None)|0"}));
}

TEST_F(Uninstaller, BothSavedAreRestoredPlainFirst) {
  UninstallOver(wine_test::Paths().pagePath, "C:\\windows\\old.bmp", "C:\\windows\\Web\\Wallpaper\\Old.html");
  const auto calls = SetWallpaperCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "SetWallpaper|C:\\windows\\Web\\Wallpaper\\Old.html|0");
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"),
            "C:\\windows\\old.bmp");
}

TEST_F(Uninstaller, AnotherFamilyWallpaperKeepsWhatIsShared) {
  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  const auto paths = wine_test::Paths();
  // "Coral Reef", installed beside it.
  const std::string otherEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane - Coral Reef";
  ASSERT_EQ(mervalis::RegistryKey().Create(HKEY_LOCAL_MACHINE, otherEntry), ERROR_SUCCESS);
  const std::string otherApp = paths.installFolder + "Coral Reef.exe";
  const std::string otherImages = mervalis::GetImagesFolder("CoralReef");
  ASSERT_TRUE(wine_test::WriteFileBytes(otherApp, "other"));
  ASSERT_TRUE(mervalis::ForceDirectories(otherImages));
  ASSERT_TRUE(wine_test::WriteFileBytes(otherImages + "fish1_l.gif", "other"));

  wine_test::Uninstall(wine_test::ProgramPath(), "douninstall");

  // Shared: kept.
  EXPECT_TRUE(mervalis::FileExists(paths.startMenuGroup + "\\Try More Animated Wallpapers.lnk"));
  EXPECT_TRUE(mervalis::FileExists(paths.desktopFolder + "\\Animated Wallpaper.lnk"));
  EXPECT_TRUE(mervalis::DirectoryExists(paths.installFolder));
  EXPECT_TRUE(mervalis::FileExists(otherApp));
  EXPECT_TRUE(mervalis::DirectoryExists(mervalis::ImagesRootFolder(mervalis::GetWallpaperFolder())));
  EXPECT_TRUE(mervalis::FileExists(otherImages + "fish1_l.gif"));
  // The runtime control, still registered: "Coral Reef" renews itself with it.
  EXPECT_TRUE(mervalis::FileExists(paths.controlPath));
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CLASSES_ROOT,
                                          "CLSID\\{A720EFA4-00C8-459A-8762-5CF50F24DA54}\\InprocServer32", ""),
            paths.controlPath);
  // Its own: gone.
  EXPECT_FALSE(mervalis::FileExists(paths.applicationFile));
  EXPECT_FALSE(mervalis::FileExists(paths.pagePath));
  EXPECT_FALSE(mervalis::DirectoryExists(paths.imagesFolder));
  EXPECT_FALSE(mervalis::FileExists(paths.startMenuGroup + "\\Mervalis.lnk"));
  EXPECT_FALSE(mervalis::FileExists(paths.desktopFolder + "\\Mervalis.lnk"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

  mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, otherEntry);
  ::DeleteFileA(otherApp.c_str());
  ::DeleteFileA((otherImages + "fish1_l.gif").c_str());
  ::RemoveDirectoryA(otherImages.c_str());
  for (const std::string& link : {paths.startMenuGroup + "\\Try More Animated Wallpapers.lnk",
                                  paths.desktopFolder + "\\Animated Wallpaper.lnk"}) {
    ::DeleteFileA(link.c_str());
  }
}

TEST_F(Uninstaller, LockedAndReadOnlyFilesDoNotStopTheRest) {
  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  const auto paths = wine_test::Paths();
  const std::string background = paths.imagesFolder + "background.bmp";
  ASSERT_TRUE(::SetFileAttributesA(background.c_str(), FILE_ATTRIBUTE_READONLY));
  // The page held open without sharing, as an editor might.
  HANDLE page = ::CreateFileA(paths.pagePath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(page, INVALID_HANDLE_VALUE);

  wine_test::Uninstall(wine_test::ProgramPath(), "douninstall");
  ::CloseHandle(page);

  EXPECT_TRUE(mervalis::FileExists(paths.pagePath));  // locked: stays
  EXPECT_FALSE(mervalis::FileExists(background));       // ours, read-only or not
  EXPECT_FALSE(mervalis::FileExists(paths.applicationFile));
  for (const char* picture : kPictures) {
    EXPECT_FALSE(mervalis::FileExists(paths.imagesFolder + picture)) << picture;
  }
  EXPECT_FALSE(mervalis::FileExists(paths.controlPath));
  EXPECT_FALSE(mervalis::FileExists(paths.startMenuGroup + "\\Mervalis.lnk"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kOptionsKey, "Mervalis"), "");
}

DWORD WINAPI CloseAfterThreeSeconds(void* file) {
  ::Sleep(3000);
  ::CloseHandle(static_cast<HANDLE>(file));
  return 0;
}

// The program that started the uninstaller copy may still be ending and
// holding its file; an install step that was cut short leaves ".tmp" files
// beside the ones it was replacing. Neither may keep the folders.
TEST_F(Uninstaller, WaitsForTheApplicationFileAndTakesInterruptedWritesAlong) {
  const auto paths = wine_test::Paths();
  ASSERT_TRUE(mervalis::ForceDirectories(paths.installFolder));
  ASSERT_TRUE(mervalis::ForceDirectories(paths.imagesFolder));
  for (const std::string& file : {paths.applicationFile, paths.installFolder + "Mervalis.exe.tmp",
                                  paths.imagesFolder + "background.bmp", paths.imagesFolder + "background.bmp.tmp",
                                  paths.imagesFolder + "background.bmp.old",
                                  paths.imagesFolder + "background.bmp.1234-1.tmp"}) {
    ASSERT_TRUE(wine_test::WriteFileBytes(file, "left behind")) << file;
  }
  // Held without delete sharing for three seconds, as a running program holds its file.
  HANDLE held = ::CreateFileA(paths.applicationFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  HANDLE releaser = ::CreateThread(nullptr, 0, &CloseAfterThreeSeconds, held, 0, nullptr);
  ASSERT_NE(releaser, nullptr);

  wine_test::Uninstall(wine_test::ProgramPath(), "douninstall");
  ::WaitForSingleObject(releaser, INFINITE);
  ::CloseHandle(releaser);

  EXPECT_FALSE(mervalis::FileExists(paths.applicationFile));
  EXPECT_FALSE(mervalis::FileExists(paths.installFolder + "Mervalis.exe.tmp"));
  EXPECT_FALSE(mervalis::FileExists(paths.imagesFolder + "background.bmp.tmp"));
  EXPECT_FALSE(mervalis::FileExists(paths.imagesFolder + "background.bmp.old"));
  EXPECT_FALSE(mervalis::DirectoryExists(paths.installFolder));
  EXPECT_FALSE(mervalis::DirectoryExists(paths.imagesFolder));
}

// The copy cannot delete itself while it runs: after its final message it
// leaves that to Windows at the next restart ("wineboot -r" restarts the prefix).
TEST_F(Uninstaller, CopyIsDeletedAtTheNextRestart) {
  const std::string copy = mervalis::GetSystemFolder() + kCopyName;
  constexpr char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";
  wine_test::Uninstall(wine_test::ProgramPath(), "uninstall");
  ASSERT_TRUE(mervalis::FileExists(copy));

  // Pairs of names: the file, then an empty name, which means "delete".
  std::vector<std::string> pending;
  {
    mervalis::RegistryKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, kSessionManager, KEY_READ), ERROR_SUCCESS);
    char data[8192] = {};
    DWORD size = sizeof(data) - 2;
    DWORD type = 0;
    const LONG status = ::RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, &type,
                                           reinterpret_cast<BYTE*>(data), &size);
    ASSERT_EQ(status, ERROR_SUCCESS) << "no operation waits for the restart";
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    for (const char* at = data; at < data + size && *at; at += std::strlen(at) + 1) pending.emplace_back(at);
  }
  std::vector<std::string> expected = {"\\??\\" + copy};
  bool found = false;
  for (size_t i = 0; i < pending.size(); ++i) {
    if (::lstrcmpiA(pending[i].c_str(), expected[0].c_str()) == 0) {
      found = true;
      // An empty target follows: "delete"; the list ends there or goes on with the next pair.
      EXPECT_TRUE(i + 1 >= pending.size() || pending[i + 1].rfind("\\??\\", 0) == 0);
    }
  }
  EXPECT_TRUE(found) << "pending: " << (pending.empty() ? "" : pending[0]);

  wine_test::Process restart(mervalis::GetSystemFolder() + "wineboot.exe", "-r");
  ASSERT_TRUE(restart.WaitForExit(60000));
  EXPECT_FALSE(mervalis::FileExists(copy));
}

// A running `apply` would point the desktop at files being deleted: the
// uninstall waits for it, and while the uninstall runs no apply starts.
TEST_F(Uninstaller, WaitsForARunningApplyAndKeepsOthersOut) {
  HANDLE applying = ::CreateMutexA(nullptr, TRUE, "QUORVANESOFTMRVLSSILENT");
  ASSERT_NE(applying, nullptr);
  { mervalis::RegistryKey entry; ASSERT_EQ(entry.Create(HKEY_LOCAL_MACHINE, kUninstallKey), ERROR_SUCCESS); }
  Process p(wine_test::ProgramPath(), "douninstall");
  ASSERT_TRUE(p.started());
  ::Sleep(2000);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) << "the uninstall did not wait for the apply";
  ::ReleaseMutex(applying);
  ::CloseHandle(applying);
  auto done = robot::WaitForMessageBox("Quorvanesoft", p.id(), 30000);
  ASSERT_TRUE(done);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  // Its final box is up: an apply started now ends at once, writing nothing.
  Process apply(wine_test::ProgramPath(), "apply");
  ASSERT_TRUE(apply.WaitForExit(20000));
  EXPECT_FALSE(mervalis::FileExists(wine_test::Paths().imagesFolder + "background.bmp"));
  ASSERT_TRUE(robot::PressMessageBoxButton(*done, "OK"));
  ASSERT_TRUE(p.WaitForExit(15000));
}

// A key locked against changes can still be read: the uninstaller sees its
// page on the desktop and puts the old wallpaper back.
TEST_F(Uninstaller, LockedActiveDesktopKeyIsStillRead) {
  SetActiveDesktopWallpaper(wine_test::Paths().pagePath);
  SetSaved("C:\\windows\\old.bmp", "");
  {
    wine_test::LockedKey locked(HKEY_CURRENT_USER, kActiveDesktopKey, wine_test::kReadOnlyAccess);
    ASSERT_TRUE(locked.ok());
    wine_test::Uninstall(wine_test::ProgramPath(), "douninstall");
  }
  EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, kPlainDesktopKey, "Wallpaper"), "C:\\windows\\old.bmp");
}

DWORD WINAPI DeleteUninstallEntry(void* result) {
  *static_cast<bool*>(result) = mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
  return 0;
}

// A subkey that may not be opened stays, and so does its parent; the
// deletion says so instead of trying the same subkey for ever.
TEST_F(Uninstaller, EntryWithASubkeyThatCannotBeOpenedIsReportedAsKept) {
  const std::string locked = std::string(kUninstallKey) + "\\Locked";
  ASSERT_EQ(mervalis::RegistryKey().Create(HKEY_LOCAL_MACHINE, locked), ERROR_SUCCESS);
  wine_test::LockedKey lock(HKEY_LOCAL_MACHINE, locked, wine_test::kNoAccess);
  ASSERT_TRUE(lock.ok());

  bool deleted = true;
  HANDLE thread = ::CreateThread(nullptr, 0, &DeleteUninstallEntry, &deleted, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  const bool ended = ::WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
  if (!ended) ::TerminateThread(thread, 1);
  ::CloseHandle(thread);
  lock.Unlock();

  ASSERT_TRUE(ended) << "DeleteKeyTree did not end";
  EXPECT_FALSE(deleted);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, locked));
  EXPECT_TRUE(mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey));  // unlocked, it goes
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

// "regsvr32.exe" planted where a search by bare name looks first (the current
// folder) must not be what the install and the uninstall start. Wine runs its
// own code for a file of that name unless told to load the file itself, so
// it is told so for the time of the test.
// The time of the test: a planted "regsvr32.exe" in the current folder, and
// Wine told to run that file itself; all put back at the end, however it ends.
class PlantedRegsvr32 {
 public:
  static constexpr char kOverrides[] = "Software\\Wine\\DllOverrides";

  PlantedRegsvr32() {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = mervalis::WithTrailingBackslash(temp) + "mervalis_planted\\";
    (void)mervalis::ForceDirectories(folder_);
    ::DeleteFileA(Record().c_str());
    ::GetCurrentDirectoryA(MAX_PATH, oldFolder_);
    mervalis::RegistryKey overrides;
    ok_ = ::CopyFileA((wine_test::BinFolder() + "start_recorder.exe").c_str(), Planted().c_str(), FALSE) &&
          wine_test::ReadRegistryString(HKEY_CURRENT_USER, kOverrides, "regsvr32.exe").empty() &&
          overrides.Create(HKEY_CURRENT_USER, kOverrides) == ERROR_SUCCESS &&
          overrides.WriteString("regsvr32.exe", "native") == ERROR_SUCCESS && ::SetCurrentDirectoryA(folder_.c_str());
  }
  PlantedRegsvr32(const PlantedRegsvr32&) = delete;
  PlantedRegsvr32& operator=(const PlantedRegsvr32&) = delete;
  ~PlantedRegsvr32() {
    ::SetCurrentDirectoryA(oldFolder_);
    mervalis::RegistryKey overrides;
    if (overrides.Open(HKEY_CURRENT_USER, kOverrides) == ERROR_SUCCESS) (void)overrides.DeleteValue("regsvr32.exe");
    ::DeleteFileA(Record().c_str());
    ::DeleteFileA(Planted().c_str());
    ::RemoveDirectoryA(folder_.c_str());
  }
  [[nodiscard]] bool ok() const { return ok_; }
  // Whether the planted file ran (the recorder notes each start beside itself).
  [[nodiscard]] bool Started() const { return mervalis::FileExists(Record()); }

 private:
  [[nodiscard]] std::string Planted() const { return folder_ + "regsvr32.exe"; }
  [[nodiscard]] std::string Record() const { return Planted() + ".started"; }
  std::string folder_;
  char oldFolder_[MAX_PATH] = {};
  bool ok_ = false;
};

// "regsvr32.exe" planted where a search by bare name looks first (the current
// folder) must not be what the install and the uninstall start. Wine runs its
// own code for a file of that name unless told to load the file itself, so
// it is told so for the time of the test.
TEST_F(Uninstaller, Regsvr32IsTakenFromTheSystemFolderOnly) {
  PlantedRegsvr32 planted;
  ASSERT_TRUE(planted.ok());
  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;
  EXPECT_FALSE(planted.Started()) << "the install started the planted regsvr32.exe";
  wine_test::Uninstall(wine_test::ProgramPath(), "douninstall");
  EXPECT_FALSE(planted.Started()) << "the uninstall started the planted regsvr32.exe";
}

}  // namespace
