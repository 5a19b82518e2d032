#include "desktop/desktop_control_win.h"

#include <windows.h>

#include <string>

#include "common/win_handles.h"
#include "desktop/desktop_mode_win.h"
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

}  // namespace

bool StopDesktopMode(unsigned long timeoutMs) noexcept {
  const DWORD start = ::GetTickCount();
  UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, kDesktopMutexName));
  if (!mutex) return true;  // none runs
  UniqueHandle process = DesktopModeProcess();
  // Created when the mode has not made it yet: it then finds it set at its start.
  UniqueHandle stop(::CreateEventA(nullptr, TRUE, FALSE, kDesktopStopEventName));
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
    std::string commandLine = DesktopModeCommand(applicationFile);
    std::string folder(applicationFile);
    const std::size_t slash = folder.find_last_of('\\');
    folder = slash == std::string::npos ? std::string() : folder.substr(0, slash + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    const std::string file(applicationFile);
    if (!::CreateProcessA(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
      return false;
    }
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace mervalis
