// The log switched on, as `/log` or the user's registry value does.
#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>
#include <string>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "robot.h"
#include "wine/support.h"

namespace {

class DebugLog : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static std::string Path() { return wine_test::LogPath(); }
  static void Clean() {
    ::DeleteFileA(Path().c_str());
    ::DeleteFileA((mervalis::GetInstallFolder() + "Mervalis.old.log").c_str());
    const std::string folder = mervalis::GetInstallFolder();
    ::DeleteFileA(folder.substr(0, folder.size() - 1).c_str());  // a file in the folder's place
    ::RemoveDirectoryA(folder.c_str());
  }
  wine_test::LogOn on_;
};

TEST_F(DebugLog, AppendsEachMessageWithItsTimeAndProcessAndCrLf) {
  // The first line creates the folder and the file.
  mervalis::WriteDebugLog("IsInstalled - Begin");
  mervalis::WriteDebugLog("");
  mervalis::WriteDebugLog("IsInstalled - End");
  EXPECT_EQ(wine_test::LogMessages(), "IsInstalled - Begin\r\n\r\nIsInstalled - End\r\n");
  const std::string pid = "[" + std::to_string(::GetCurrentProcessId()) + "] IsInstalled - Begin\r\n";
  EXPECT_EQ(wine_test::ReadFileBytes(Path()).find(pid), 24u) << wine_test::ReadFileBytes(Path());
  // Switched off, nothing more is written.
  mervalis::SwitchLog(false);
  mervalis::WriteDebugLog("off");
  EXPECT_EQ(wine_test::LogMessages(), "IsInstalled - Begin\r\n\r\nIsInstalled - End\r\n");
}

TEST_F(DebugLog, CaughtExceptionsWithTheirPlaceAndText) {
  for (const bool standard : {true, false}) {
    try {
      if (standard) throw std::runtime_error("disk full");
      throw 3;
    } catch (...) {
      mervalis::LogCaught("Save");
    }
  }
  EXPECT_EQ(wine_test::LogMessages(), "Save - caught disk full\r\nSave - caught an unknown exception\r\n");
}

TEST_F(DebugLog, KeepsWhatTheFileHeld) {
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetInstallFolder()));
  ASSERT_TRUE(wine_test::WriteFileBytes(Path(), "earlier\r\n"));
  mervalis::WriteDebugLog("later");
  EXPECT_EQ(wine_test::LogMessages(), "earlier\r\nlater\r\n");
}

// Kept under 1 MiB: a log that a line would take past 512 KiB becomes the
// previous one, replacing the one before.
TEST_F(DebugLog, AFullLogBecomesThePreviousOne) {
  const std::string previous = mervalis::GetInstallFolder() + "Mervalis.old.log";
  const std::string full(512 * 1024 - 10, 'x');
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetInstallFolder()));
  ASSERT_TRUE(wine_test::WriteFileBytes(previous, "oldest\r\n"));
  ASSERT_TRUE(wine_test::WriteFileBytes(Path(), full));
  mervalis::WriteDebugLog("next");
  EXPECT_EQ(wine_test::ReadFileBytes(previous), full);
  EXPECT_EQ(wine_test::LogMessages(), "next\r\n");
}

DWORD WINAPI AnswerBox(void* out) {
  auto* text = static_cast<std::string*>(out);
  if (auto box = robot::WaitForMessageBox("", ::GetCurrentProcessId(), 10000)) {
    *text = box->text;
    robot::PressMessageBoxButton(*box, "OK");
  }
  return 0;
}

TEST_F(DebugLog, FolderThatCannotBeMadeIsReportedAndNothingWritten) {
  // A file where the install folder should be.
  const std::string folder = mervalis::GetInstallFolder();
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetProgramFilesFolder()));
  ASSERT_TRUE(wine_test::WriteFileBytes(folder.substr(0, folder.size() - 1), "in the way"));
  std::string shown;
  HANDLE robotThread = ::CreateThread(nullptr, 0, AnswerBox, &shown, 0, nullptr);
  mervalis::WriteDebugLog("btnInstall - Begin");
  ::WaitForSingleObject(robotThread, 15000);
  ::CloseHandle(robotThread);
  EXPECT_EQ(shown, "Cannot create debug directory!");
  EXPECT_FALSE(mervalis::FileExists(Path()));
}

}  // namespace
