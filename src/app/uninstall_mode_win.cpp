#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/exit_codes.h"
#include "app/uninstall_win.h"
#include "common/application_win.h"
#include "common/debug_log.h"
#include "common/file_io_win.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"

namespace mervalis {

namespace {

constexpr char kCopyFailed[] =
    "The uninstaller could not be prepared, so nothing was removed. Please try again in a moment.";

// Where the per-user uninstaller copies go: folders of this name pattern in
// the user's temporary folder, one per uninstall, each holding one copy.
constexpr char kCopyFolderPrefix[] = "Mervalis-uninstall-";

std::string TemporaryFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
  return (n == 0 || n > MAX_PATH) ? std::string() : WithTrailingBackslash(Narrow(std::wstring_view(buffer, n)));
}

// A folder of its own for this uninstall's copy: nobody else's copy can be
// in it, nor a file another program holds.
std::string NewCopyFolder() {
  const std::string temporary = TemporaryFolder();
  if (temporary.empty()) return {};
  for (DWORD attempt = 0; attempt < 100; ++attempt) {
    char unique[32];
    wsprintfA(unique, "%08lx", ::GetCurrentProcessId() * 7919u + ::GetTickCount() + attempt * 104729u);
    const std::string folder = temporary + kCopyFolderPrefix + unique;
    if (::CreateDirectoryW(Widen(folder).c_str(), nullptr)) return folder + "\\";
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

// Writes the running program to `copy`, a file that must not exist yet, and
// reads it back: true only when it holds exactly the program.
bool WriteCheckedCopy(const std::string& copy) {
  std::string program;
  if (!ReadWholeFile(GetProgramPath(), program) || program.empty()) return false;
  {
    UniqueFile file(::CreateFileW(Widen(copy).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !WriteAll(file.get(), program) || !CloseWrittenFile(file)) {
      ::DeleteFileW(Widen(copy).c_str());
      return false;
    }
  }
  std::string written;
  if (!ReadWholeFile(copy, written) || written != program) {
    ::DeleteFileW(Widen(copy).c_str());
    return false;
  }
  return true;
}

// The copy that runs the uninstall, so that the installed program itself can
// be removed; empty when none could be written and checked. Before Vista the
// family's copy in the system folder, replacing an older one; from Vista on a
// new file in the user's temporary folder, which needs no administrator.
std::string PrepareUninstallerCopy() {
  if (IsPerUserInstall()) {
    const std::string folder = NewCopyFolder();
    if (folder.empty()) return {};
    const std::string copy = folder + std::string(kUninstallerCopyName);
    if (WriteCheckedCopy(copy)) return copy;
    ::RemoveDirectoryW(Widen(folder).c_str());
    return {};
  }
  const std::string copy = GetSystemFolder() + std::string(kUninstallerCopyName);
  const std::wstring wide = Widen(copy);
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  // An older copy that cannot go (another wallpaper's uninstall still runs
  // from it) is never started in place of ours.
  if (!::DeleteFileW(wide.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND) return {};
  return WriteCheckedCopy(copy) ? copy : std::string();
}

int Box(const char* text, UINT type) {
  return ShowMessage(text, kCompanyName, type | MB_SYSTEMMODAL);
}

// The copy started with "douninstall /S", waited for: its exit code, or
// kExitFailed when it could not be started.
int RunSilentCopy(const std::string& copy) {
  const std::wstring file = Widen(copy);
  std::wstring parameters = Widen(kDoUninstallArgument) + L" /S";
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_HIDE;
  if (!::ShellExecuteExW(&info) || !info.hProcess) {
    LogLastError("ShellExecuteEx", "the uninstaller's copy");
    return kExitFailed;
  }
  const UniqueHandle process(info.hProcess);
  DWORD code = kExitFailed;
  if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
      !::GetExitCodeProcess(process.get(), &code)) {
    code = kExitFailed;
  }
  return static_cast<int>(code);
}

}  // namespace

int RunUninstallMode(bool silent) {
  const std::string copy = PrepareUninstallerCopy();
  if (copy.empty()) {
    (void)Box(kCopyFailed, MB_OK | MB_ICONSTOP);
    return kExitFailed;
  }
  if (silent) {
    const int code = RunSilentCopy(copy);
    // The copy has ended: it goes now, with its folder unless this program
    // was moved into it.
    if (IsPerUserInstall()) RemoveUninstallerCopies();
    return code;
  }
  const int answer = Box("Are you sure you want to uninstall this animated wallpaper?",
                         MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION);
  if (answer == IDYES) {
    const auto started = reinterpret_cast<INT_PTR>(::ShellExecuteW(
        ::GetDesktopWindow(), L"open", Widen(copy).c_str(), Widen(kDoUninstallArgument).c_str(), nullptr,
        SW_SHOWNORMAL));
    if (started > 32) return kExitDone;
    (void)Box(kCopyFailed, MB_OK | MB_ICONSTOP);
  }
  // Not used: a per-user copy goes at once.
  if (IsPerUserInstall()) RemoveUninstallerCopies();
  return kExitDone;
}

void RemoveUninstallerCopies() noexcept {
  try {
    const std::string temporary = TemporaryFolder();
    if (temporary.empty()) return;
    WIN32_FIND_DATAW found;
    UniqueFind search(::FindFirstFileW(Widen(temporary + kCopyFolderPrefix + "*").c_str(), &found));
    if (!search) return;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      const std::string folder = temporary + Narrow(found.cFileName) + "\\";
      // A copy that still runs cannot be deleted: it stays for a later start.
      ::DeleteFileW(Widen(folder + std::string(kUninstallerCopyName)).c_str());
      ::DeleteFileW(Widen(folder + kMovedProgramName).c_str());
      ::RemoveDirectoryW(Widen(folder).c_str());
    } while (::FindNextFileW(search.get(), &found));
  } catch (...) {
    LogCaught("RemoveUninstallerCopies");
    // Only allocations throw here; the copies stay for a later start.
  }
}

}  // namespace mervalis
