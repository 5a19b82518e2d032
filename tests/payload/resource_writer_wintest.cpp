// The payload written out by an install under Wine: every item byte for byte
// where it belongs, and what the user sees when a destination is taken by
// another program.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "../fixtures/active_desktop/call_record.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "payload/catalogue.h"
#include "payload/resource_ids.h"
#include "robot.h"
#include "ui/main_form_ids.h"
#include "wine/installation.h"
#include "wine/support.h"

namespace {

using namespace mervalis::ui;
using wine_test::Process;

constexpr char kRestart[] = "\n\nPlease restart your computer then run this program again.";

class ProgramItems {
 public:
  ProgramItems() : module_(::LoadLibraryExA(wine_test::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ProgramItems(const ProgramItems&) = delete;
  ProgramItems& operator=(const ProgramItems&) = delete;
  ~ProgramItems() {
    if (module_) ::FreeLibrary(module_);
  }
  [[nodiscard]] bool ok() const { return module_ != nullptr; }
  // The raw-data item as the program carries it; empty when it has none.
  [[nodiscard]] std::string Item(int id) const {
    HRSRC info = ::FindResourceA(module_, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    if (!info) return {};
    const char* data = static_cast<const char*>(::LockResource(::LoadResource(module_, info)));
    return data ? std::string(data, ::SizeofResource(module_, info)) : std::string();
  }

 private:
  HMODULE module_;
};

class PayloadFiles : public testing::Test {
 protected:
  void SetUp() override {
    wine_test::SetTestTimeLimit(120000);
    wine_test::RemoveInstallation();
  }
  void TearDown() override { wine_test::RemoveInstallation(); }
};

TEST_F(PayloadFiles, InstallWritesEveryItemByteForByteOverLongerOldFiles) {
  const ProgramItems items;
  ASSERT_TRUE(items.ok());
  const auto paths = wine_test::Paths();
  // Old files, longer than the items, from some earlier version.
  ASSERT_TRUE(mervalis::ForceDirectories(paths.imagesFolder));
  std::vector<std::string> expectedNames = {"background.bmp"};
  for (const auto& picture : mervalis::kPayloadPictures) {
    const std::string item = items.Item(picture.id);
    ASSERT_FALSE(item.empty()) << "no item " << picture.id;
    ASSERT_TRUE(wine_test::WriteFileBytes(paths.imagesFolder + std::string(picture.fileName),
                                          std::string(item.size() + 4096, 'x')));
    expectedNames.emplace_back(picture.fileName);
  }
  const std::string control = items.Item(IDR_RUNTIME_CONTROL);
  ASSERT_FALSE(control.empty());
  ASSERT_TRUE(wine_test::WriteFileBytes(paths.controlPath, std::string(control.size() + 4096, 'x')));

  wine_test::InstallThroughWindow();
  if (HasFatalFailure()) return;

  for (const auto& picture : mervalis::kPayloadPictures) {
    SCOPED_TRACE(picture.fileName);
    const std::string written = wine_test::ReadFileBytes(paths.imagesFolder + std::string(picture.fileName));
    EXPECT_EQ(written.size(), items.Item(picture.id).size());
    EXPECT_TRUE(written == items.Item(picture.id));
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
class ResourceWriteFailure : public testing::Test {
 protected:
  void SetUp() override {
    wine_test::SetTestTimeLimit(120000);
    wine_test::RemoveInstallation();
  }
  void TearDown() override {
    Release();
    if (program_) program_->Kill();
    wine_test::RemoveInstallation();
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

  // The press has ended (the agreement's button is back) on the agreement
  // panel, and nothing of the install after the apply was done.
  void ExpectInstallStoppedAfterTheApply() {
    const auto paths = wine_test::Paths();
    ASSERT_TRUE(robot::WaitUntil([&] { return Get(kBtnLicenseInstall).enabled; }, 10000));
    EXPECT_EQ(robot::FindTopLevel({robot::kMessageBoxClass, "", program_->id()}), nullptr) << "a third box";
    EXPECT_FALSE(Get(kPnlDone).visible);
    EXPECT_TRUE(Get(kPnlLicense).visible);
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_LOCAL_MACHINE, mervalis::UninstallKey("Mervalis"), "DisplayName"),
              "");
    EXPECT_EQ(wine_test::ReadRegistryString(HKEY_CURRENT_USER, std::string(mervalis::kOptionsKey), "Mervalis"), "");
    EXPECT_FALSE(mervalis::FileExists(paths.applicationFile));
    EXPECT_FALSE(mervalis::FileExists(paths.startMenuGroup + "\\Mervalis.lnk"));
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

  const auto first = AnswerNextBox();
  ASSERT_TRUE(first) << "no box";
  EXPECT_EQ(first->caption, "Quorvanesoft");
  EXPECT_EQ(first->text, std::string("File could not be opened or created!") + kRestart +
                             "\n\nResource ID: 119\nFileName: " + paths.pagePath);
  EXPECT_TRUE(first->hasIcon);
  EXPECT_EQ(first->buttons.size(), 1u);
  const auto second = AnswerNextBox();
  ASSERT_TRUE(second) << "no second box";
  EXPECT_EQ(second->caption, "Quorvanesoft");
  EXPECT_EQ(second->text, "Unable to write wallpaper!");
  EXPECT_TRUE(second->hasIcon);
  EXPECT_EQ(second->buttons.size(), 1u);

  ExpectInstallStoppedAfterTheApply();
  // Neither deleted nor replaced; no picture was written after it.
  Release();
  EXPECT_EQ(wine_test::ReadFileBytes(paths.pagePath), old);
  EXPECT_EQ(wine_test::FolderListing(paths.imagesFolder), std::vector<std::string>{"background.bmp"});
  CloseWindow();
}

TEST_F(ResourceWriteFailure, PictureHeldOpenStopsThePayloadAtThatPicture) {
  const ProgramItems items;
  ASSERT_TRUE(items.ok());
  const auto paths = wine_test::Paths();
  ASSERT_TRUE(mervalis::ForceDirectories(paths.imagesFolder));
  // The ninth picture, "bubble1.png" (111).
  const auto& taken = mervalis::kPayloadPictures[8];
  const std::string takenPath = paths.imagesFolder + std::string(taken.fileName);
  Hold(takenPath, "old bubble");
  active_desktop_fixture::ClearCalls();
  StartInstall();
  if (HasFatalFailure()) return;

  const auto first = AnswerNextBox();
  ASSERT_TRUE(first) << "no box";
  EXPECT_EQ(first->caption, "Quorvanesoft");
  EXPECT_EQ(first->text, std::string("File could not be opened or created!") + kRestart + "\n\nResource ID: " +
                             std::to_string(taken.id) + "\nFileName: " + takenPath);
  EXPECT_TRUE(first->hasIcon);
  const auto second = AnswerNextBox();
  ASSERT_TRUE(second) << "no second box";
  EXPECT_EQ(second->caption, "Quorvanesoft");
  EXPECT_EQ(second->text, "Unable to write one or more images!");
  EXPECT_TRUE(second->hasIcon);

  ExpectInstallStoppedAfterTheApply();
  Release();
  EXPECT_EQ(wine_test::ReadFileBytes(takenPath), "old bubble");
  // The pictures before it were written, none after it, nor the control.
  for (const auto& picture : mervalis::kPayloadPictures) {
    if (picture.id == taken.id) continue;
    SCOPED_TRACE(picture.fileName);
    const std::string path = paths.imagesFolder + std::string(picture.fileName);
    if (picture.id < taken.id) {
      EXPECT_TRUE(wine_test::ReadFileBytes(path) == items.Item(picture.id));
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

}  // namespace
