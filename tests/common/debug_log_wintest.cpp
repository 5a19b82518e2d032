// The debug log with its switch on (the test binary is built that way).
#include <gtest/gtest.h>

#include <windows.h>

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
  static std::string Path() { return mervalis::GetInstallFolder() + "Debug.log"; }
  static void Clean() {
    ::DeleteFileA(Path().c_str());
    const std::string folder = mervalis::GetInstallFolder();
    ::DeleteFileA(folder.substr(0, folder.size() - 1).c_str());  // a file in the folder's place
    ::RemoveDirectoryA(folder.c_str());
  }
};

TEST_F(DebugLog, AppendsEachMessageWithCrLfAndNothingElse) {
  ASSERT_TRUE(mervalis::DebugLogEnabled);
  // The first line creates the folder and the file.
  mervalis::WriteDebugLog("IsInstalled - Begin");
  mervalis::WriteDebugLog("");
  mervalis::WriteDebugLog("IsInstalled - End");
  EXPECT_EQ(wine_test::ReadFileBytes(Path()), "IsInstalled - Begin\r\n\r\nIsInstalled - End\r\n");
}

TEST_F(DebugLog, KeepsWhatTheFileHeld) {
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetInstallFolder()));
  ASSERT_TRUE(wine_test::WriteFileBytes(Path(), "earlier\r\n"));
  mervalis::WriteDebugLog("later");
  EXPECT_EQ(wine_test::ReadFileBytes(Path()), "earlier\r\nlater\r\n");
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
