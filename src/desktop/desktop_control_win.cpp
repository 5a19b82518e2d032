#include "desktop/desktop_control_win.h"

#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

#include <string>

#include "common/debug_log.h"
#include "common/product_names.h"
#include "common/same_user_security_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "desktop/desktop_mode_win.h"
#include "desktop/place_report_win.h"
#include "wallpaper/desktop_kind.h"

namespace mervalis {

namespace {

// The process behind the mode's hidden window, when there is one; waiting on
// it too, not only on the mutex, makes sure the image file is free.
UniqueHandle DesktopModeProcess() {
  HWND host = ::FindWindowA(kDesktopHostClass, nullptr);
  DWORD pid = 0;
  if (!host || !::GetWindowThreadProcessId(host, &pid) || pid == ::GetCurrentProcessId()) return UniqueHandle();
  return UniqueHandle(::OpenProcess(SYNCHRONIZE, FALSE, pid));
}

DWORD Remaining(DWORD start, DWORD timeoutMs) {
  const DWORD spent = ::GetTickCount() - start;
  return spent >= timeoutMs ? 0 : timeoutMs - spent;
}

// Ids the headers of this build (for Windows XP) leave out or do not link.
constexpr GUID kShellWindowsClass = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kShellWindowsId = {0x85cb6900, 0x4d95, 0x11cf, {0x96, 0x0c, 0x00, 0x80, 0xc7, 0xf4, 0xee, 0x85}};
constexpr GUID kTopLevelBrowserService = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};
constexpr GUID kShellBrowserId = {0x000214e2, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kFolderViewDualId = {0xe7a1af80, 0x4d96, 0x11cf, {0x96, 0x0c, 0x00, 0x80, 0xc7, 0xf4, 0xee, 0x85}};
constexpr GUID kShellDispatch2Id = {0xa4c6892c, 0x3ba9, 0x11d2, {0x9d, 0xea, 0x00, 0xc0, 0x4f, 0xb1, 0x61, 0x62}};
constexpr int kDesktopWindowClass = 8;  // SWC_DESKTOP
constexpr int kNeedDispatch = 1;        // SWFO_NEEDDISPATCH
constexpr int kTokenElevationClass = 20;  // TokenElevation, Vista and later

}  // namespace

bool RunsElevated() noexcept {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const UniqueHandle owned(token);
  DWORD elevated = 0;
  DWORD size = 0;
  return ::GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(kTokenElevationClass), &elevated,
                               sizeof(elevated), &size) &&
         elevated != 0;
}

namespace {

// Has Explorer start the program, so that it runs with the rights Explorer
// has (the user's ordinary ones) instead of this process's: the desktop's
// shell view hands out the shell's automation object, whose ShellExecute runs
// in Explorer. False when there is no such desktop (no Explorer) or it refuses.
bool StartThroughTheShell(const std::string& file, const std::string& arguments, const std::string& folder) {
  ComInit com;
  if (!com.ok()) return false;
  ComPtr<IShellWindows> windows;
  if (FAILED(::CoCreateInstance(kShellWindowsClass, nullptr, CLSCTX_LOCAL_SERVER, kShellWindowsId,
                                windows.put_void()))) {
    return false;
  }
  VARIANT desktopLocation;
  ::VariantInit(&desktopLocation);
  desktopLocation.vt = VT_I4;
  desktopLocation.lVal = CSIDL_DESKTOP;
  VARIANT empty;
  ::VariantInit(&empty);
  LONG window = 0;
  ComPtr<IDispatch> found;
  if (windows->FindWindowSW(&desktopLocation, &empty, kDesktopWindowClass, &window, kNeedDispatch, found.put()) !=
          S_OK ||
      !found) {
    return false;
  }
  ComPtr<IServiceProvider> services;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  if (FAILED(found.As(IID_IServiceProvider, services)) ||
      FAILED(services->QueryService(kTopLevelBrowserService, kShellBrowserId, browser.put_void())) ||
      FAILED(browser->QueryActiveShellView(view.put())) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.put_void())) ||
      FAILED(background.As(kFolderViewDualId, folderView)) || FAILED(folderView->get_Application(application.put())) ||
      FAILED(application.As(kShellDispatch2Id, shell))) {
    return false;
  }
  const auto variant = [](const std::string& text) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(Widen(text).c_str());
    return v;
  };
  VARIANT args = variant(arguments);
  VARIANT dir = variant(folder);
  VARIANT verb = variant("open");
  VARIANT show;
  ::VariantInit(&show);
  show.vt = VT_I4;
  show.lVal = SW_SHOWNORMAL;
  BSTR path = ::SysAllocString(Widen(file).c_str());
  const HRESULT started = path && args.bstrVal && dir.bstrVal && verb.bstrVal
                              ? shell->ShellExecute(path, args, dir, verb, show)
                              : E_OUTOFMEMORY;
  ::SysFreeString(path);
  for (VARIANT* v : {&args, &dir, &verb}) ::VariantClear(v);
  return SUCCEEDED(started);
}

}  // namespace

bool StopDesktopMode(unsigned long timeoutMs) noexcept {
  const DWORD start = ::GetTickCount();
  UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, kDesktopMutexName));
  if (!mutex) return true;  // none runs
  UniqueHandle process = DesktopModeProcess();
  // Created when the mode has not made it yet: it then finds it set at its
  // start, also when it runs with other rights than this process.
  SameUserSecurity security;
  UniqueHandle stop(::CreateEventA(security.get(), TRUE, FALSE, kDesktopStopEventName));
  if (!stop) return false;
  ::SetEvent(stop.get());

  // Released or abandoned, the mutex is ours: the mode has ended its work.
  const DWORD waited = ::WaitForSingleObject(mutex.get(), Remaining(start, timeoutMs));
  const bool ended = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
  if (!ended) return false;
  ::ReleaseMutex(mutex.get());
  mutex.reset();
  ::ResetEvent(stop.get());
  if (process) (void)::WaitForSingleObject(process.get(), Remaining(start, timeoutMs));
  // Gone once nobody holds it: a mode started now must be able to make it anew.
  while (true) {
    UniqueHandle still(::OpenMutexA(SYNCHRONIZE, FALSE, kDesktopMutexName));
    if (!still) return true;
    if (Remaining(start, timeoutMs) == 0) return false;
    ::Sleep(50);
  }
}

bool StartDesktopMode(std::string_view applicationFile) noexcept {
  try {
    std::string folder(applicationFile);
    const std::size_t slash = folder.find_last_of('\\');
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    const std::string file(applicationFile);
    // Only what the new mode says counts.
    desktop::ClearPlaceReport();
    // Started by an administrator's elevated run, the mode would run elevated
    // too (and Explorer's messages would not reach it): Explorer starts it
    // instead, with the user's ordinary rights. Without Explorer to ask, it
    // is started here; the mode then lets Explorer's messages through itself.
    if (RunsElevated() && StartThroughTheShell(file, std::string(kDesktopArgument), folder)) return true;
    std::wstring commandLine = Widen(DesktopModeCommand(applicationFile));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(Widen(file).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : Widen(folder).c_str(), &startup, &started)) {
      return false;
    }
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return true;
  } catch (...) {
    LogCaught("StartDesktopMode");
    return false;
  }
}

}  // namespace mervalis
