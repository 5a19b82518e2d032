#include "wine/installation.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "../fixtures/active_desktop/call_record.h"
#include "common/folders_win.h"
#include "common/registry_win.h"
#include "common/win_handles.h"
#include "robot.h"
#include "ui/main_form_ids.h"
#include "wine/contract_literals.h"
#include "wine/support.h"

namespace wine_test {

InstalledPaths Paths() {
  InstalledPaths p;
  p.installFolder = mervalis::GetInstallFolder();
  p.applicationFile = p.installFolder + "Mervalis.exe";
  p.pagePath = mervalis::GetWallpaperFolder() + "Quorvane - Mervalis.html";
  p.imagesFolder = mervalis::GetWallpaperFolder() + "QVImages\\Mervalis\\";
  p.controlPath = mervalis::GetSystemFolder() + "quorvanexrun.ocx";
  p.startMenuGroup = mervalis::GetSpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\Quorvane";
  p.desktopFolder = mervalis::GetSpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  return p;
}

InstalledPaths PerUserPaths() {
  InstalledPaths p;
  const std::string local = mervalis::GetSpecialFolder(CSIDL_LOCAL_APPDATA);
  p.installFolder = local + "\\Programs\\Quorvane\\";
  p.applicationFile = p.installFolder + "Mervalis.exe";
  p.imagesFolder = local + "\\Quorvane\\QVImages\\Mervalis\\";
  p.startMenuGroup = mervalis::GetSpecialFolder(CSIDL_PROGRAMS) + "\\Quorvane";
  p.desktopFolder = mervalis::GetSpecialFolder(CSIDL_DESKTOPDIRECTORY);
  return p;
}

namespace {

void DeleteFiles(const std::string& folder) {
  for (const std::string& name : FolderListing(folder)) {
    ::SetFileAttributesA((folder + name).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA((folder + name).c_str());
  }
}

// What a per-user install leaves: its two folders in the local application data.
void RemovePerUserInstallation() {
  const InstalledPaths p = PerUserPaths();
  const std::string local = mervalis::GetSpecialFolder(CSIDL_LOCAL_APPDATA);
  DeleteFiles(p.installFolder);
  DeleteFiles(p.imagesFolder);
  for (const std::string& folder : {p.installFolder, p.imagesFolder, local + "\\Quorvane\\QVImages\\",
                                    local + "\\Quorvane\\"}) {
    ::RemoveDirectoryA(folder.c_str());
  }
  mervalis::DeleteKeyTree(HKEY_CURRENT_USER, contract::kUninstallKey);
}

}  // namespace

void RemoveInstallation() {
  KillProcessesNamed("Mervalis.exe");
  KillProcessesNamed("QuorUninst1.exe");
  RemovePerUserInstallation();
  const InstalledPaths p = Paths();
  // An install registers the runtime control; take that back before the file goes.
  if (mervalis::FileExists(p.controlPath)) {
    Process unregister(mervalis::GetSystemFolder() + "regsvr32.exe", "/s /u \"" + p.controlPath + "\"");
    (void)unregister.WaitForExit(15000);
  }
  for (const std::string& file :
       {p.applicationFile, p.installFolder + "Debug.log", p.installFolder + "Mervalis.log", p.pagePath,
        p.pagePath + ".at-apply", p.imagesFolder + "background.bmp", p.controlPath}) {
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(file.c_str());
  }
  DeleteFiles(p.imagesFolder);
  for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
    const std::string group = mervalis::GetSpecialFolder(csidl) + "\\Quorvane\\";
    ::DeleteFileA((group + "Mervalis.lnk").c_str());
    ::DeleteFileA((group + "Try More Animated Wallpapers.lnk").c_str());
    ::RemoveDirectoryA(group.c_str());
  }
  for (int csidl : {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY}) {
    const std::string desktop = mervalis::GetSpecialFolder(csidl) + "\\";
    ::DeleteFileA((desktop + "Mervalis.lnk").c_str());
    ::DeleteFileA((desktop + "Animated Wallpaper.lnk").c_str());
  }
  ::RemoveDirectoryA(p.imagesFolder.c_str());
  ::RemoveDirectoryA((mervalis::GetWallpaperFolder() + "QVImages").c_str());
  ::RemoveDirectoryA(p.installFolder.c_str());

  mervalis::DeleteKeyTree(HKEY_LOCAL_MACHINE, contract::kUninstallKey);
  mervalis::DeleteKeyTree(HKEY_CURRENT_USER, contract::kCompanyKey);
  // The animated desktop's logon entry (the running mode went with the copies above).
  mervalis::RegistryKey run;
  if (run.Open(HKEY_CURRENT_USER, contract::kRunKey) == ERROR_SUCCESS) {
    (void)run.DeleteValue(contract::kRunValue);
  }
  mervalis::RegistryKey ad;
  if (ad.Open(HKEY_CURRENT_USER, contract::kActiveDesktopKey) == ERROR_SUCCESS) {
    (void)ad.DeleteValue("Wallpaper");
  }
  active_desktop_fixture::ClearCalls();
}

void CleanMachineTest::SetUp() {
  SetTestTimeLimit(timeLimitMs_);
  RemoveInstallation();
}

std::string ReadRegistryString(void* root, const std::string& key, const std::string& name) {
  mervalis::RegistryKey registry;
  std::string value;
  if (registry.Open(static_cast<HKEY>(root), key, KEY_READ) == ERROR_SUCCESS) (void)registry.ReadString(name, value);
  return value;
}

ShortcutInfo ReadShortcut(const std::string& path) {
  ShortcutInfo info;
  info.exists = mervalis::FileExists(path);
  if (!info.exists) return info;
  mervalis::ComInit com;
  mervalis::ComPtr<IShellLinkA> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.put_void()))) {
    return info;
  }
  mervalis::ComPtr<IPersistFile> file;
  if (FAILED(link.As(IID_IPersistFile, file))) return info;
  wchar_t wide[MAX_PATH] = {};
  ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  if (FAILED(file->Load(wide, STGM_READ))) return info;
  info.loaded = true;
  char buffer[1024] = {};
  const auto text = [&](HRESULT read, std::string& out) {
    if (SUCCEEDED(read)) out = buffer;
    buffer[0] = 0;
  };
  text(link->GetPath(buffer, sizeof(buffer), nullptr, SLGP_RAWPATH), info.target);
  text(link->GetDescription(buffer, sizeof(buffer)), info.description);
  text(link->GetArguments(buffer, sizeof(buffer)), info.arguments);
  text(link->GetWorkingDirectory(buffer, sizeof(buffer)), info.workingDirectory);
  text(link->GetIconLocation(buffer, sizeof(buffer), &info.iconIndex), info.iconLocation);
  link->GetShowCmd(&info.showCommand);
  WORD hotkey = 0xFFFF;
  if (SUCCEEDED(link->GetHotkey(&hotkey))) info.hotkey = hotkey;
  return info;
}

bool AnswerBoxesUntilDone(void* window, unsigned long programId, std::string& boxes, unsigned long timeoutMs) {
  return robot::WaitUntil([&] {
    if (HWND box = robot::FindTopLevel({robot::kMessageBoxClass, "", programId})) {
      const auto info = robot::ReadMessageBox(box);
      boxes += info.text + "\n";
      robot::PressMessageBoxButton(info, "OK");
    }
    auto panel = robot::Control(static_cast<HWND>(window), mervalis::ui::kPnlDone);
    return panel && panel->visible;
  }, timeoutMs);
}

namespace {

// Adds each shown window of ours to the text at `shown`, once.
BOOL CALLBACK NoteWindowOfOurs(HWND window, LPARAM shown) {
  const std::string line = robot::ClassName(window) + " " + robot::WindowText(window);
  auto& text = *reinterpret_cast<std::string*>(shown);
  const bool ours = line.rfind("#32770 ", 0) == 0 || line.rfind("TfrmMain ", 0) == 0 ||
                    line.find(" Quorvanesoft") != std::string::npos;
  if (::IsWindowVisible(window) && ours && text.find(line) == std::string::npos) text += line + "\n";
  return TRUE;
}

}  // namespace

UnseenRun RunUnseen(const std::string& commandLine, unsigned long timeoutMs) {
  UnseenRun run;
  const bool quoted = !commandLine.empty() && commandLine[0] == '"';
  const std::size_t end = commandLine.find(quoted ? '"' : ' ', 1);
  Process program = Process::WithCommandLine(commandLine.substr(quoted, end - quoted), commandLine);
  if (!program.started()) return run;
  const DWORD start = ::GetTickCount();
  while (!run.ended && ::GetTickCount() - start < timeoutMs) {
    run.ended = program.WaitForExit(20, &run.exitCode);
    ::EnumWindows(NoteWindowOfOurs, reinterpret_cast<LPARAM>(&run.shown));
  }
  return run;
}

void InstallThroughWindow(const std::string& programPath, const std::function<void(HWND window)>& atDonePanel) {
  using namespace mervalis::ui;
  Process program(programPath, "");
  HWND window =
      robot::WaitForWindow({wine_test::contract::kMainFormClass, wine_test::contract::kMainFormCaption, program.id()});
  ASSERT_NE(window, nullptr);
  const auto shows = [&](int id) {
    auto c = robot::Control(window, id);
    return c && c->visible;
  };
  ASSERT_TRUE(robot::PressButton(window, kBtnInstall));
  ASSERT_TRUE(robot::WaitUntil([&] { return shows(kPnlLicense); }, 10000));
  ASSERT_TRUE(robot::PressButton(window, kChkAcceptLicense));
  ASSERT_TRUE(robot::PressButton(window, kBtnLicenseInstall));
  std::string boxes;
  ASSERT_TRUE(AnswerBoxesUntilDone(window, program.id(), boxes)) << "no done panel; boxes: " << boxes;
  if (atDonePanel) atDonePanel(window);
  ASSERT_TRUE(robot::PressButton(window, kBtnFinish));
  ASSERT_TRUE(program.WaitForExit(10000));
}

void Uninstall(const std::string& program, const char* mode) {
  Process p(program, mode);
  ASSERT_TRUE(p.started()) << program;
  if (std::string(mode) == "uninstall") {
    auto question = robot::WaitForMessageBox("Quorvanesoft", p.id());
    ASSERT_TRUE(question);
    ASSERT_TRUE(robot::PressMessageBoxButton(*question, "Yes"));
    // The press is posted: until the question has gone it is still the box
    // that a search by caption finds.
    ASSERT_TRUE(p.WaitForExit(10000));
    ASSERT_TRUE(robot::WaitForWindowGone(question->hwnd, 10000));
  }
  auto done = robot::WaitForMessageBox("Quorvanesoft", 0, 30000);
  ASSERT_TRUE(done);
  EXPECT_EQ(done->text, contract::kRemovedBox);
  EXPECT_TRUE(done->hasIcon);
  ASSERT_TRUE(robot::PressMessageBoxButton(*done, "OK"));
  ASSERT_TRUE(robot::WaitUntil([] { return !IsProcessRunning("QuorUninst1.exe"); }, 15000));
  if (p.Running()) {
    ASSERT_TRUE(p.WaitForExit(15000));
  }
}

namespace {

struct ViewSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK AddViewChild(HWND hwnd, LPARAM data) {
  auto* search = reinterpret_cast<ViewSearch*>(data);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid == search->pid && robot::ClassName(hwnd) == contract::kDesktopViewClass &&
      (::GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)) {
    search->found.push_back(hwnd);
  }
  return TRUE;
}

BOOL CALLBACK AddViewsOf(HWND top, LPARAM data) {
  ::EnumChildWindows(top, AddViewChild, data);
  return TRUE;
}

}  // namespace

std::vector<HWND> ShownDesktopViews(DWORD desktopPid) {
  ViewSearch search{desktopPid, {}};
  ::EnumWindows(AddViewsOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace wine_test
