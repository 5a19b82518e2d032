// Compiled once per setting of the build switch MERVALIS_DEBUG_LOG.
#include "common/debug_log.h"

#include <windows.h>

#include <stdexcept>
#include <string>

#include "common/application_win.h"
#include "common/file_io_win.h"
#include "common/folders_win.h"
#include "common/names.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"

#ifndef MERVALIS_DEBUG_LOG
#define MERVALIS_DEBUG_LOG 0
#endif

namespace mervalis {

extern const bool DebugLogEnabled = MERVALIS_DEBUG_LOG != 0;

void WriteDebugLog(std::string_view message) {
  if (!DebugLogEnabled) return;
  const std::string folder = GetInstallFolder();
  const std::string path = folder + std::string(kDebugLogName);

  if (!DirectoryExists(folder) && !ForceDirectories(folder)) {
    ShowMessage("Cannot create debug directory!", MB_OK | MB_ICONSTOP);
    return;
  }
  // Opened and closed for every line, so no handle outlives the call.
  UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("Cannot open file \"" + path + "\".");
  if (::SetFilePointer(file.get(), 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      ::GetLastError() != NO_ERROR) {
    throw std::runtime_error("Cannot seek in file \"" + path + "\".");
  }
  const std::string line = std::string(message) + "\r\n";
  if (!WriteAll(file.get(), line)) throw std::runtime_error("Cannot write file \"" + path + "\".");
}

void LogLastError(std::string_view operation, std::string_view detail) noexcept {
  const DWORD error = ::GetLastError();
  if (!DebugLogEnabled) return;
  try {
    std::string line = std::string(operation) + " failed, error " + std::to_string(error);
    if (!detail.empty()) line += " (" + std::string(detail) + ")";
    WriteDebugLog(line);
  } catch (...) {
  }
}

}  // namespace mervalis
