// The payload written out by an install under Wine: every item byte for byte
// where it belongs, and what the user sees when a destination is taken by
// another program.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "common/file_io_win.h"
#include "common/folders_win.h"
#include "payload/expected_files.h"
#include "payload/resource_writer_win.h"
#include "robot.h"
#include "wallpaper/apply_win.h"
#include "ui/main_form_ids.h"
#include "wine/installation.h"
#include "wine/support.h"

namespace {

using namespace mervalis::ui;
using wine_test::Process;

constexpr char kRestart[] = "\n\nPlease restart your computer then run this program again.";

struct Picture {
  int id;
  const char* name;
};
// The pictures in the order they are written, each with its item id.
constexpr Picture kPictures[] = {
    {103, "fish1_l.gif"}, {104, "fish1_r.gif"}, {105, "fish2_l.gif"}, {106, "fish2_r.gif"},
    {107, "fish3_l.gif"}, {108, "fish3_r.gif"}, {109, "fish4_l.gif"}, {110, "fish4_r.gif"},
    {111, "bubble1.png"}, {112, "bubble2.png"}, {113, "bubble1.gif"}, {114, "bubble2.gif"},
    {115, "fish5_l.gif"}, {116, "fish5_r.gif"}, {117, "fish6_l.gif"}, {118, "fish6_r.gif"},
};

// The artwork as the source tree holds it.
std::string Asset(const char* name) { return wine_test::SourceTreeFile(std::string("src\\payload\\assets\\") + name); }

class PayloadFiles : public wine_test::CleanMachineTest {};

TEST_F(PayloadFiles, InstallWritesEveryItemByteForByteOverLongerOldFiles) {
  const auto paths = wine_test::Paths();
  // Old files, longer than the items, from some earlier version.
  ASSERT_TRUE(mervalis::ForceDirectories(paths.imagesFolder));
  std::vector<std::string> expectedNames = {"background.bmp"};
  for (const Picture& picture : kPictures) {
    const std::string asset = Asset(picture.name);
    ASSERT_FALSE(asset.empty()) << "no asset " << picture.name;
    ASSERT_TRUE(wine_test::WriteFileBytes(paths.imagesFolder + picture.name, std::string(asset.size() + 4096, 'x')));
    expectedNames.emplace_back(picture.name);
  }
  const std::string control = wine_test::ReadFileBytes(wine_test::BinFolder() + "quorvanexrun.ocx");
  ASSERT_FALSE(control.empty());
  ASSERT_TRUE(wine_test::WriteFileBytes(paths.controlPath, std::string(control.size() + 4096, 'x')));

  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;

  // Each file holds the picture of its own name: two items swapped show here.
  for (const Picture& picture : kPictures) {
    SCOPED_TRACE(picture.name);
    const std::string written = wine_test::ReadFileBytes(paths.imagesFolder + picture.name);
    const std::string asset = Asset(picture.name);
    EXPECT_EQ(written.size(), asset.size());
    EXPECT_TRUE(written == asset);
  }
  const std::string writtenControl = wine_test::ReadFileBytes(paths.controlPath);
  EXPECT_EQ(writtenControl.size(), control.size());
  EXPECT_TRUE(writtenControl == control);
  // Nothing else in the images folder.
  std::sort(expectedNames.begin(), expectedNames.end());
  EXPECT_EQ(wine_test::FolderListing(paths.imagesFolder), expectedNames);
}

// An install whose payload meets a file held open, without sharing, by
// another program.
class ResourceWriteFailure : public wine_test::CleanMachineTest {
 protected:
  void TearDown() override {
    Release();
    if (program_) program_->Kill();
    CleanMachineTest::TearDown();
  }

  // Makes a file at `path` and holds it open with no sharing at all.
  void Hold(const std::string& path, const std::string& bytes) {
    ASSERT_TRUE(wine_test::WriteFileBytes(path, bytes)) << path;
    held_ = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held_, INVALID_HANDLE_VALUE) << path;
  }
  void Release() {
    if (held_ != INVALID_HANDLE_VALUE) ::CloseHandle(held_);
    held_ = INVALID_HANDLE_VALUE;
  }

  // Starts the program and presses install, accepting the agreement.
  void StartInstall() {
    program_.emplace(wine_test::ProgramPath(), "");
    window_ = robot::WaitForWindow({kMainFormClass, kMainFormCaption, program_->id()});
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(robot::PressButton(window_, kBtnInstall));
    ASSERT_TRUE(robot::WaitUntil([&] { return Get(kPnlLicense).visible; }, 10000));
    ASSERT_TRUE(robot::PressButton(window_, kChkAcceptLicense));
    ASSERT_TRUE(robot::WaitUntil([&] { return Get(kChkAcceptLicense).checked == BST_CHECKED; }, 3000));
    ASSERT_TRUE(robot::PressButton(window_, kBtnLicenseInstall));
  }
  robot::ControlInfo Get(int id) const {
    auto c = robot::Control(window_, id);
    return c ? *c : robot::ControlInfo{};
  }

  // Reads the next box of the program, answers it with OK and waits until it is gone.
  std::optional<robot::MessageBoxInfo> AnswerNextBox() {
    auto box = robot::WaitForMessageBox("", program_->id(), 60000);
    if (!box) return box;
    robot::PressMessageBoxButton(*box, "OK");
    robot::WaitUntil([&] { return !::IsWindow(box->hwnd) || !::IsWindowVisible(box->hwnd); }, 10000);
    return box;
  }

  // The two boxes of a write failure, answered: the file's, naming it, then
  // the step's; each the standard error display with its one button.
  void ExpectErrorBoxes(const std::string& fileBox, const std::string& stepBox) {
    for (const std::string& text : {fileBox, stepBox}) {
      const auto box = AnswerNextBox();
      ASSERT_TRUE(box) << "no box saying " << text;
      EXPECT_EQ(box->caption, "Quorvanesoft");
      EXPECT_EQ(box->text, text);
      EXPECT_TRUE(box->hasIcon);
      EXPECT_EQ(box->buttons.size(), 1u);
    }
  }

  // The press has ended (the agreement's button is back) on the agreement
  // panel, and nothing of the install after the apply was done. What came
  // before it (the program, its shortcuts, the entry naming it) stays, for
  // the next install to finish or the entry's uninstall to take away.
  void ExpectInstallStoppedAfterTheApply() {
    const auto paths = wine_test::Paths();
    ASSERT_TRUE(robot::WaitUntil([&] { return Get(kBtnLicenseInstall).enabled; }, 10000));
    EXPECT_EQ(robot::FindTopLevel({robot::kMessageBoxClass, "", program_->id()}), nullptr) << "a third box";
    EXPECT_FALSE(Get(kPnlDone).visible);
    EXPECT_TRUE(Get(kPnlLicense).visible);
    EXPECT_EQ(wine_test::ReadRegistryString(
                  HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvane - Mervalis",
                  "UninstallString"),
              "\"" + paths.applicationFile + "\" uninstall");
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, "Software\\Quorvanesoft\\Options", "Mervalis"), "");
    EXPECT_TRUE(mervalis::FileExists(paths.applicationFile));
    // The desktop was not touched.
    for (const auto& call : active_desktop_fixture::ReadAndClearCalls()) {
      EXPECT_NE(call.rfind("SetWallpaper|", 0), 0u) << call;
    }
  }

  void CloseWindow() {
    ::PostMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program_->WaitForExit(10000));
  }

  std::optional<Process> program_;
  HWND window_ = nullptr;
  HANDLE held_ = INVALID_HANDLE_VALUE;
};

TEST_F(ResourceWriteFailure, PageHeldOpenIsReportedTwiceAndStopsTheInstall) {
  const auto paths = wine_test::Paths();
  ASSERT_TRUE(mervalis::ForceDirectories(mervalis::GetWallpaperFolder()));
  const std::string old = "<HTML>an old page</HTML>\r\n";
  Hold(paths.pagePath, old);
  active_desktop_fixture::ClearCalls();
  StartInstall();
  if (HasFatalFailure()) return;

  ExpectErrorBoxes(std::string("File could not be opened or created!") + kRestart +
                       "\n\nResource ID: 119\nFileName: " + paths.pagePath,
                   "Unable to write wallpaper!");
  if (HasFatalFailure()) return;

  ExpectInstallStoppedAfterTheApply();
  // Neither deleted nor replaced; no picture was written after it.
  Release();
  EXPECT_EQ(wine_test::ReadFileBytes(paths.pagePath), old);
  EXPECT_EQ(wine_test::FolderListing(paths.imagesFolder), std::vector<std::string>{"background.bmp"});
  CloseWindow();
}

TEST_F(ResourceWriteFailure, PictureHeldOpenStopsThePayloadAtThatPicture) {
  const auto paths = wine_test::Paths();
  ASSERT_TRUE(mervalis::ForceDirectories(paths.imagesFolder));
  // The ninth picture, "bubble1.png" (111).
  const Picture& taken = kPictures[8];
  const std::string takenPath = paths.imagesFolder + taken.name;
  Hold(takenPath, "old bubble");
  active_desktop_fixture::ClearCalls();
  StartInstall();
  if (HasFatalFailure()) return;

  ExpectErrorBoxes(std::string("File could not be opened or created!") + kRestart + "\n\nResource ID: " +
                       std::to_string(taken.id) + "\nFileName: " + takenPath,
                   "Unable to write one or more images!");
  if (HasFatalFailure()) return;

  ExpectInstallStoppedAfterTheApply();
  Release();
  EXPECT_EQ(wine_test::ReadFileBytes(takenPath), "old bubble");
  // The pictures before it were written, none after it, nor the control.
  for (const Picture& picture : kPictures) {
    if (picture.id == taken.id) continue;
    SCOPED_TRACE(picture.name);
    const std::string path = paths.imagesFolder + picture.name;
    if (picture.id < taken.id) {
      EXPECT_TRUE(wine_test::ReadFileBytes(path) == Asset(picture.name));
    } else {
      EXPECT_FALSE(mervalis::FileExists(path));
    }
  }
  EXPECT_FALSE(mervalis::FileExists(paths.controlPath));
  // The page holds the animated page: the stub is written only at the end.
  const std::string page = wine_test::ReadFileBytes(paths.pagePath);
  EXPECT_NE(page.find("var pageLayout = 1;"), std::string::npos);
  EXPECT_EQ(page.find("<PAGE_LAYOUT>"), std::string::npos);
  CloseWindow();
}

// A close that fails is a write that failed (the last data may be written
// only then): the page rewrites throw, and the resource writer reports it
// with the file already closed, so nothing holds it while the box shows.
BOOL WINAPI CloseThenFail(HANDLE handle) {
  ::CloseHandle(handle);
  ::SetLastError(ERROR_DISK_FULL);
  return FALSE;
}

struct BoxSeen {
  std::string path;  // the file written when the box showed
  std::string text;
  bool fileFree = false;  // it could be opened without sharing then
};

DWORD WINAPI AnswerBoxAfterTryingTheFile(void* seenBox) {
  auto* seen = static_cast<BoxSeen*>(seenBox);
  const auto box = robot::WaitForMessageBox("", ::GetCurrentProcessId(), 20000);
  if (!box) return 1;
  HANDLE file = ::CreateFileA(seen->path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  seen->fileFree = file != INVALID_HANDLE_VALUE;
  if (seen->fileFree) ::CloseHandle(file);
  seen->text = box->text;
  robot::PressMessageBoxButton(*box, "OK");
  return 0;
}

TEST(FailedClose, IsAFailedWriteOfThePageAndOfAPayloadItem) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const std::string page = std::string(temp) + "mervalis close test.html";
  ASSERT_TRUE(wine_test::WriteFileBytes(page, "var pageLayout = <PAGE_LAYOUT>;"));
  HMODULE program = ::LoadLibraryExA(wine_test::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);

  BoxSeen seen{page};
  const mervalis::CloseHandleFunction previous = mervalis::SetCloseHandleForTesting(&CloseThenFail);
  EXPECT_THROW(mervalis::WriteStubPage(page, "Mervalis", "C:\\windows\\system32\\quorvanexrun.ocx"),
               std::runtime_error);
  // The box blocks this thread: another one reads it, tries the file, answers it.
  HANDLE answerer = ::CreateThread(nullptr, 0, &AnswerBoxAfterTryingTheFile, &seen, 0, nullptr);
  const bool written = mervalis::WriteResourceFile(program, 119, page, "<PAGE_LAYOUT>", "1");
  mervalis::SetCloseHandleForTesting(previous);
  ::WaitForSingleObject(answerer, 30000);
  ::CloseHandle(answerer);
  ::FreeLibrary(program);
  ::DeleteFileA(page.c_str());
  wine_test::RemoveInstallation();  // the debug log of the rewrites

  EXPECT_FALSE(written);
  EXPECT_EQ(seen.text, std::string("File could not be fully written!") + kRestart + "\n\nResource ID: 119\nFileName: " +
                           page);
  EXPECT_TRUE(seen.fileFree) << "the file was still open while the box showed";
}

}  // namespace
