#include "common/system_checks_win.h"

#include <shlwapi.h>

#include <string>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/shell_version.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"

namespace mervalis {

namespace {

static_assert(sizeof(DLLVERSIONINFO) == 20, "the shell's version record is 20 bytes");

// The user's decimal separator; empty when the locale does not give one.
std::string UserDecimalSeparator() {
  wchar_t buffer[8] = {};  // at most three characters and the terminator
  const int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8);
  return n > 1 ? Narrow(std::wstring_view(buffer, static_cast<size_t>(n - 1))) : std::string();
}

bool ShellLibraryHighEnough() {
  const std::string path = GetSystemFolder() + "Shell32.dll";
  UniqueModule library(::LoadLibraryW(Widen(path).c_str()));
  if (!library) return false;
  // FARPROC to the export's real type, through void* as the compiler wants.
  const auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
      reinterpret_cast<void*>(::GetProcAddress(library.get(), "DllGetVersion")));
  if (!getVersion) return false;
  DLLVERSIONINFO info = {};
  info.cbSize = sizeof(info);
  if (FAILED(getVersion(&info))) return false;
  return IsShellVersionHighEnough(info.dwMajorVersion, info.dwMinorVersion, UserDecimalSeparator());
}

}  // namespace

bool HighEnoughShellVersion() {
  WriteDebugLog("HighEnoughShellVersion - Begin");
  const bool result = ShellLibraryHighEnough();
  WriteDebugLog("HighEnoughShellVersion - End");
  return result;
}

bool HighEnoughColors(HDC dc) {
  WriteDebugLog("HighEnoughColors - Begin");
  const int bits = ::GetDeviceCaps(dc, BITSPIXEL) * ::GetDeviceCaps(dc, PLANES);
  WriteDebugLog("HighEnoughColors - End");
  return bits >= 15;
}

}  // namespace mervalis
