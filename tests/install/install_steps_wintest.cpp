// The install steps under Wine: the installed copy of the program, the
// shortcuts and the installed-state probe.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/win_handles.h"
#include "install/install_steps_win.h"
#include "wine/installation.h"
#include "wine/support.h"

namespace {

using wine_test::ReadFileBytes;
using wine_test::TempFolder;
using wine_test::WriteFileBytes;

// A title of the tests' own, so that a real install of the wallpaper is not touched.
constexpr char kTitle[] = "MervalisStepsTest";

std::string ApplicationFile() { return mervalis::GetInstallFolder() + kTitle + ".exe"; }


// Removes a file or a folder with everything in it.
void RemoveTree(const std::string& path) {
  std::string from = path + '\0';  // the list ends with a second zero
  SHFILEOPSTRUCTA op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  ::SHFileOperationA(&op);
}

// ---- WriteApplicationFile ----

// Tells whether a file was created, renamed or deleted in a folder since the
// watch began (changes of content are not counted).
class FolderNameWatch {
 public:
  explicit FolderNameWatch(const std::string& folder)
      : handle_(::FindFirstChangeNotificationA(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME)) {}
  ~FolderNameWatch() {
    if (handle_ != INVALID_HANDLE_VALUE) ::FindCloseChangeNotification(handle_);
  }
  FolderNameWatch(const FolderNameWatch&) = delete;
  FolderNameWatch& operator=(const FolderNameWatch&) = delete;
  [[nodiscard]] bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Notices arrive asynchronously: give them a moment.
  [[nodiscard]] bool Changed() const { return ::WaitForSingleObject(handle_, 1000) == WAIT_OBJECT_0; }

 private:
  HANDLE handle_;
};

// Child processes: copies of this test program started from the install
// folder. The environment tells a copy to act as a child; it then does its
// part while the program's statics are being made, before any test runs, and
// ends. "write": calls WriteApplicationFile for the title and writes
// "<result>|<application file>|<own path>|<install folder touched: 0 or 1>"
// to the report file. "stay": keeps
// an old copy running until the test ends it.
constexpr char kChildModeVariable[] = "MERVALIS_STEPS_CHILD_MODE";
constexpr char kChildTitleVariable[] = "MERVALIS_STEPS_CHILD_TITLE";
constexpr char kChildReportVariable[] = "MERVALIS_STEPS_CHILD_REPORT";

std::string Environment(const char* name) {
  char buffer[MAX_PATH * 2] = {};
  const DWORD n = ::GetEnvironmentVariableA(name, buffer, sizeof(buffer));
  return n < sizeof(buffer) ? std::string(buffer, n) : std::string();
}

[[maybe_unused]] const bool g_runsAsChild = [] {
  const std::string mode = Environment(kChildModeVariable);
  if (mode == "write") {
    // The log file is there before the watch, so only a copy shows up in it.
    mervalis::WriteDebugLog("install steps child");
    FolderNameWatch watch(mervalis::GetInstallFolder());
    std::string applicationFile;
    const bool result = mervalis::WriteApplicationFile(Environment(kChildTitleVariable), applicationFile);
    const bool touched = !watch.valid() || watch.Changed();
    const bool reported = WriteFileBytes(Environment(kChildReportVariable),
                                         std::string(result ? "true" : "false") + "|" + applicationFile + "|" +
                                             mervalis::GetProgramPath() + "|" + (touched ? "1" : "0"));
    ::ExitProcess(reported ? 0 : 1);
  }
  if (mode == "stay") {
    ::Sleep(50000);
    ::ExitProcess(0);
  }
  return false;
}();

class WriteApplicationFile : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override {
    wine_test::KillStartedProcesses();
    wine_test::KillProcessesNamed(std::string(kTitle) + ".exe");
    for (const char* variable : {kChildModeVariable, kChildTitleVariable, kChildReportVariable}) {
      ::SetEnvironmentVariableA(variable, nullptr);
    }
    Clean();
  }
  static void Clean() {
    // A running copy may take a moment to let go of its file.
    for (int i = 0; i < 50 && mervalis::FileExists(ApplicationFile()); ++i) {
      if (::DeleteFileA(ApplicationFile().c_str())) break;
      ::Sleep(100);
    }
    RemoveTree(ApplicationFile() + ".tmp");
    ::DeleteFileA(Report().c_str());
  }
  static std::string Report() { return TempFolder() + "mervalis_steps_child.txt"; }
  // Starts the old copy in the install folder as a child (see above), by the
  // path as given.
  static wine_test::Process StartChild(const std::string& path, const char* mode) {
    ::SetEnvironmentVariableA(kChildModeVariable, mode);
    ::SetEnvironmentVariableA(kChildTitleVariable, kTitle);
    ::SetEnvironmentVariableA(kChildReportVariable, Report().c_str());
    wine_test::Process child(path, "");
    ::SetEnvironmentVariableA(kChildModeVariable, nullptr);
    return child;
  }
  static std::string OwnBytes() { return ReadFileBytes(mervalis::GetProgramPath()); }
  // A copy of this test program in the install folder, with a marker after
  // its image so that it differs from a fresh copy; it still runs.
  static std::string PlaceOldCopy() {
    const std::string old = OwnBytes() + "old copy of the application file";
    EXPECT_TRUE(mervalis::ForceDirectories(mervalis::GetInstallFolder()));
    EXPECT_TRUE(WriteFileBytes(ApplicationFile(), old));
    return old;
  }
};

TEST_F(WriteApplicationFile, CopiesTheRunningProgramByteForByteOverAnOldCopy) {
  // The install folder goes when nothing else is in it, so that the step has
  // to make it.
  ::RemoveDirectoryA(mervalis::GetInstallFolder().c_str());
  std::string applicationFile = "stale";
  EXPECT_TRUE(mervalis::WriteApplicationFile(kTitle, applicationFile));
  EXPECT_EQ(applicationFile, ApplicationFile());
  const std::string own = OwnBytes();
  ASSERT_GT(own.size(), 100000u);
  EXPECT_TRUE(ReadFileBytes(ApplicationFile()) == own) << "the copy differs from the program";

  ASSERT_TRUE(WriteFileBytes(ApplicationFile(), "an older, different program"));
  EXPECT_TRUE(mervalis::WriteApplicationFile(kTitle, applicationFile));
  EXPECT_TRUE(ReadFileBytes(ApplicationFile()) == own) << "the old copy was not replaced";
  EXPECT_FALSE(mervalis::FileExists(ApplicationFile() + ".tmp"));
}

TEST_F(WriteApplicationFile, InstalledCopyStartedInAnotherLetterCaseCopiesNothing) {
  const std::string old = PlaceOldCopy();
  const std::string typed = mervalis::AnsiLowerCase(ApplicationFile());
  ASSERT_NE(typed, ApplicationFile());
  wine_test::Process child = StartChild(typed, "write");
  ASSERT_TRUE(child.started());
  DWORD code = 1;
  ASSERT_TRUE(child.WaitForExit(30000, &code));
  EXPECT_EQ(code, 0u);
  const std::string report = ReadFileBytes(Report());
  const auto first = report.find('|');
  const auto second = report.find('|', first + 1);
  const auto third = report.find('|', second + 1);
  ASSERT_NE(third, std::string::npos) << report;
  // The program is in place already: nothing for the install to report.
  EXPECT_EQ(report.substr(0, first), "true");
  EXPECT_EQ(report.substr(first + 1, second - first - 1), ApplicationFile());  // set all the same
  // Not even a temporary file was made: the copy was not attempted (an
  // attempt would also fail on the running file, so the result alone does
  // not tell).
  EXPECT_EQ(report.substr(third + 1), "0");
  // The child saw itself under a path in other letter case than the
  // application file's, so the comparison had to ignore case.
  const std::string seen = report.substr(second + 1, third - second - 1);
  EXPECT_NE(seen, ApplicationFile());
  EXPECT_EQ(mervalis::AnsiUpperCase(seen), mervalis::AnsiUpperCase(ApplicationFile()));
  EXPECT_TRUE(ReadFileBytes(ApplicationFile()) == old);
  EXPECT_FALSE(mervalis::FileExists(ApplicationFile() + ".tmp"));
}

TEST_F(WriteApplicationFile, RunningOldCopyIsLeftIntact) {
  const std::string old = PlaceOldCopy();
  wine_test::Process running = StartChild(ApplicationFile(), "stay");
  ASSERT_TRUE(running.started());
  ASSERT_TRUE(running.Running());
  std::string applicationFile;
  FolderNameWatch watch(mervalis::GetInstallFolder());
  ASSERT_TRUE(watch.valid());
  EXPECT_FALSE(mervalis::WriteApplicationFile(kTitle, applicationFile));
  // The attempt shows in the folder (the new copy written beside the old one
  // and removed again); the installed-copy test relies on seeing this.
  EXPECT_TRUE(watch.Changed());
  EXPECT_EQ(applicationFile, ApplicationFile());
  EXPECT_TRUE(running.Running());
  EXPECT_TRUE(ReadFileBytes(ApplicationFile()) == old) << "the running copy was replaced";
  EXPECT_FALSE(mervalis::FileExists(ApplicationFile() + ".tmp"));
}

TEST_F(WriteApplicationFile, NewCopyThatCannotBeWrittenLeavesTheOldOne) {
  const std::string old = PlaceOldCopy();
  // The new copy is written beside the old one first; a folder in its place
  // makes that write fail.
  ASSERT_TRUE(::CreateDirectoryA((ApplicationFile() + ".tmp").c_str(), nullptr));
  std::string applicationFile;
  EXPECT_FALSE(mervalis::WriteApplicationFile(kTitle, applicationFile));
  EXPECT_TRUE(ReadFileBytes(ApplicationFile()) == old) << "the old copy was lost";
}

// ---- IsInstalled and the checkpoint lines ----

// Installed only once the entry names a program that is there: what an
// interrupted install or uninstall leaves is not an install.
TEST(InstallSteps, IsInstalledWhenTheEntryNamesAnExistingProgram) {
  const std::string key =
      std::string("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane - ") + kTitle;
  const std::string program = wine_test::ProgramPath();
  const std::string gone = TempFolder() + "gone\\" + kTitle + ".exe";
  const struct {
    const char* what;
    bool key;
    const char* value;  // "UninstallString", or null for none
    std::string command;
    bool installed;
  } rows[] = {
      {"no key", false, nullptr, "", false},
      {"a key without values", true, nullptr, "", false},
      {"a command in quotes", true, "UninstallString", "\"" + program + "\" uninstall", true},
      {"a command without quotes", true, "UninstallString", program + " uninstall", true},
      {"a program that is gone", true, "UninstallString", "\"" + gone + "\" uninstall", false},
      {"an empty command", true, "UninstallString", "", false},
      {"another value only", true, "DisplayName", "\"" + program + "\" uninstall", false},
  };
  for (const auto& row : rows) {
    mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, key);
    if (row.key) {
      mervalis::RegistryKey registry;
      ASSERT_EQ(registry.Create(HKEY_LOCAL_MACHINE, key), ERROR_SUCCESS);
      if (row.value) {
        ASSERT_EQ(registry.WriteString(row.value, row.command), ERROR_SUCCESS);
      }
    }
    EXPECT_EQ(mervalis::IsInstalled(kTitle), row.installed) << row.what;
  }
  // The family prefix in the key name is part of the answer.
  EXPECT_FALSE(mervalis::IsInstalled(std::string(kTitle) + "X"));
  ASSERT_TRUE(mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, key));
}

TEST(InstallSteps, StepsWriteTheirCheckpointLines) {
  const wine_test::LogOn log;
  (void)mervalis::IsInstalled(kTitle);
  std::string applicationFile;
  (void)mervalis::WriteApplicationFile(kTitle, applicationFile);
  EXPECT_EQ(wine_test::LogMessages(),
            "IsInstalled - Begin\r\nIsInstalled - End\r\n"
            "WriteApplicationFile - Begin\r\nWriteApplicationFile - End\r\n");
  ::DeleteFileA(ApplicationFile().c_str());
}

// ---- CreateShortcuts ----

void ExpectOnlyTheThreeProperties(const std::string& linkPath, const std::string& target) {
  SCOPED_TRACE(linkPath);
  const wine_test::ShortcutInfo p = wine_test::ReadShortcut(linkPath);
  ASSERT_TRUE(p.loaded);
  EXPECT_EQ(mervalis::AnsiUpperCase(p.target), mervalis::AnsiUpperCase(target));
  EXPECT_EQ(p.description, "Coral Reef Animated Wallpaper");
  EXPECT_EQ(p.showCommand, SW_SHOWNORMAL);
  EXPECT_EQ(p.arguments, "");
  EXPECT_EQ(p.workingDirectory, "");
  EXPECT_EQ(p.iconLocation, "");
  EXPECT_EQ(p.hotkey, 0);
}

// The desktop without a group folder, or a Start-menu group.
mervalis::ShortcutPlace Place(const char* group) {
  if (*group == '\0') return {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY, {}};
  return {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, group};
}

// Special folders of the tests: one scratch folder per CSIDL, and a switch
// that makes the shell "have no" all-users folders.
struct ScratchFolders {
  static inline std::string root;
  static inline bool noAllUsers = false;
  static std::string Of(int csidl) { return root + "csidl" + std::to_string(csidl); }
  static std::string Lookup(int csidl) {
    if (noAllUsers && (csidl == CSIDL_COMMON_PROGRAMS || csidl == CSIDL_COMMON_DESKTOPDIRECTORY)) return {};
    return Of(csidl);
  }
};

class CreateShortcuts : public testing::Test {
 protected:
  void SetUp() override {
    ScratchFolders::root = TempFolder() + "mervalis_shortcuts\\";
    ScratchFolders::noAllUsers = false;
    RemoveTree(ScratchFolders::root.substr(0, ScratchFolders::root.size() - 1));
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY}) {
      ASSERT_TRUE(mervalis::ForceDirectories(ScratchFolders::Of(csidl)));
    }
    target_ = mervalis::GetProgramPath();
  }
  void TearDown() override { RemoveTree(ScratchFolders::root.substr(0, ScratchFolders::root.size() - 1)); }

  static void Create(const char* subFolder, const char* linkName, const std::string& target) {
    mervalis::CreateShortcuts(Place(subFolder), linkName, target, "\"Coral Reef\"", &ScratchFolders::Lookup);
  }
  // Every file and folder under a scratch folder, as "name" or "name\".
  static std::string Contents(int csidl) {
    std::string list;
    ListInto(ScratchFolders::Of(csidl), "", list);
    return list;
  }
  static void ListInto(const std::string& folder, const std::string& prefix, std::string& list) {
    wine_test::ForEachInFolder(folder, [&](const WIN32_FIND_DATAA& data) {
      const std::string name = data.cFileName;
      const bool isFolder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      list += (list.empty() ? "" : ";") + prefix + name + (isFolder ? "\\" : "");
      if (isFolder) ListInto(folder + "\\" + name, prefix + name + "\\", list);
    });
  }

  std::string target_;
};

TEST_F(CreateShortcuts, AllUsersStartMenuGroupAndDesktop) {
  Create("Quorvane", "Mervalis.lnk", target_);
  Create("Quorvane", "Uninstall Mervalis.lnk", target_);
  Create("", "Mervalis.lnk", target_);
  EXPECT_EQ(Contents(CSIDL_COMMON_PROGRAMS), "Quorvane\\;Quorvane\\Mervalis.lnk;Quorvane\\Uninstall Mervalis.lnk");
  EXPECT_EQ(Contents(CSIDL_COMMON_DESKTOPDIRECTORY), "Mervalis.lnk");  // no group folder there
  EXPECT_EQ(Contents(CSIDL_PROGRAMS) + Contents(CSIDL_DESKTOPDIRECTORY), "");
  ExpectOnlyTheThreeProperties(ScratchFolders::Of(CSIDL_COMMON_PROGRAMS) + "\\Quorvane\\Mervalis.lnk", target_);
  ExpectOnlyTheThreeProperties(ScratchFolders::Of(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Mervalis.lnk", target_);
}

TEST_F(CreateShortcuts, WithoutAllUsersFoldersTheCurrentUsersAreUsed) {
  ScratchFolders::noAllUsers = true;
  Create("Quorvane", "Mervalis.lnk", target_);
  Create("", "Mervalis.lnk", target_);
  EXPECT_EQ(Contents(CSIDL_PROGRAMS), "Quorvane\\;Quorvane\\Mervalis.lnk");
  EXPECT_EQ(Contents(CSIDL_DESKTOPDIRECTORY), "Mervalis.lnk");
  EXPECT_EQ(Contents(CSIDL_COMMON_PROGRAMS) + Contents(CSIDL_COMMON_DESKTOPDIRECTORY), "");
  ExpectOnlyTheThreeProperties(ScratchFolders::Of(CSIDL_PROGRAMS) + "\\Quorvane\\Mervalis.lnk", target_);
}

TEST(CreateShortcutsInTheShellFolders, AllUsersFoldersOfThePrefixAreUsed) {
  const std::string programs = mervalis::GetSpecialFolder(CSIDL_COMMON_PROGRAMS);
  const std::string desktop = mervalis::GetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  ASSERT_FALSE(programs.empty());
  ASSERT_FALSE(desktop.empty());
  const std::string target = mervalis::GetProgramPath();
  mervalis::CreateShortcuts(Place("Quorvane Steps Test"), "Steps Test.lnk", target, "\"Coral Reef\"");
  mervalis::CreateShortcuts(Place(""), "Quorvane Steps Test.lnk", target, "\"Coral Reef\"");
  const std::string groupLink = programs + "\\Quorvane Steps Test\\Steps Test.lnk";
  const std::string desktopLink = desktop + "\\Quorvane Steps Test.lnk";
  EXPECT_TRUE(mervalis::FileExists(groupLink));
  EXPECT_TRUE(mervalis::FileExists(desktopLink));
  ExpectOnlyTheThreeProperties(groupLink, target);
  ::DeleteFileA(groupLink.c_str());
  ::RemoveDirectoryA((programs + "\\Quorvane Steps Test").c_str());
  ::DeleteFileA(desktopLink.c_str());
}

}  // namespace
