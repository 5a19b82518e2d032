// Functions of Windows versions newer than XP that the native animation uses
// when they are there.
#pragma once

#include <windows.h>

#include "common/system_library_win.h"
#include "common/win_handles.h"

namespace mervalis::desktop {

// Functions of newer Windows versions, looked up when the mode starts so
// that the program still loads on Windows XP.
struct LateFunctions {
  using RegisterSession = BOOL(WINAPI*)(HWND, DWORD);
  using UnregisterSession = BOOL(WINAPI*)(HWND);
  using RegisterPower = HANDLE(WINAPI*)(HANDLE, const GUID*, DWORD);
  using UnregisterPower = BOOL(WINAPI*)(HANDLE);
  using DwmAttribute = HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD);
  using ProcessSession = BOOL(WINAPI*)(DWORD, DWORD*);
  using ConsoleSession = DWORD(WINAPI*)();
  using QuerySession = BOOL(WINAPI*)(HANDLE, DWORD, int, void**, DWORD*);  // WTSQuerySessionInformationW
  using FreeMemory = void(WINAPI*)(void*);                                  // WTSFreeMemory

  UniqueModule wtsapi = LoadSystemLibrary("wtsapi32.dll");
  UniqueModule dwmapi = LoadSystemLibrary("dwmapi.dll");
  RegisterSession registerSession = nullptr;
  UnregisterSession unregisterSession = nullptr;
  RegisterPower registerPower = nullptr;
  UnregisterPower unregisterPower = nullptr;
  DwmAttribute dwmAttribute = nullptr;
  ProcessSession processSession = nullptr;
  ConsoleSession consoleSession = nullptr;
  QuerySession querySession = nullptr;
  FreeMemory freeMemory = nullptr;

  LateFunctions() noexcept {
    HMODULE user32 = ::GetModuleHandleA("user32.dll");
    registerPower = Find<RegisterPower>(user32, "RegisterPowerSettingNotification");
    unregisterPower = Find<UnregisterPower>(user32, "UnregisterPowerSettingNotification");
    registerSession = Find<RegisterSession>(wtsapi.get(), "WTSRegisterSessionNotification");
    unregisterSession = Find<UnregisterSession>(wtsapi.get(), "WTSUnRegisterSessionNotification");
    querySession = Find<QuerySession>(wtsapi.get(), "WTSQuerySessionInformationW");
    freeMemory = Find<FreeMemory>(wtsapi.get(), "WTSFreeMemory");
    dwmAttribute = Find<DwmAttribute>(dwmapi.get(), "DwmGetWindowAttribute");
    HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    processSession = Find<ProcessSession>(kernel32, "ProcessIdToSessionId");
    consoleSession = Find<ConsoleSession>(kernel32, "WTSGetActiveConsoleSessionId");
  }

  template <typename F>
  static F Find(HMODULE module, const char* name) noexcept {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
  }
};

}  // namespace mervalis::desktop
