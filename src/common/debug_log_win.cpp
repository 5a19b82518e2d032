#include "common/debug_log.h"

#include <windows.h>

#include <exception>
#include <stdexcept>
#include <string>

#include "common/application_win.h"
#include "common/file_io_win.h"
#include "common/folders_win.h"
#include "common/log_text.h"
#include "common/names.h"
#include "common/registry_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"

namespace mervalis {

namespace {

bool logOn = false;

UniqueFile OpenForAppending(const std::string& path) {
  // Appending only: every write goes to the end as one piece, whoever else
  // appends meanwhile; shared in every way, so that the installer, `apply`
  // and the desktop mode never shut each other out.
  const std::wstring name = Widen(path);
  UniqueFile file(::CreateFileW(name.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file || ::GetLastError() != ERROR_INVALID_PARAMETER) return file;
  // Windows 98 knows neither: written from the end it found.
  file.reset(::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) ::SetFilePointer(file.get(), 0, nullptr, FILE_END);
  return file;
}

}  // namespace

void SwitchLog(bool on) noexcept { logOn = on; }

bool LogIsOn() noexcept { return logOn; }

bool LogAskedByRegistry() noexcept {
  RegistryKey registry;
  DWORD value = 0;
  return registry.Open(HKEY_CURRENT_USER, kCompanyKey, KEY_READ) == ERROR_SUCCESS &&
         registry.ReadDword(kLogValueName, value) == ERROR_SUCCESS && value == 1;
}

std::string LogFolder() { return IsPerUserInstall() ? GetWallpaperFolder() : GetInstallFolder(); }

std::string LogFilePath() { return LogFolder() + std::string(kLogName); }

std::string PreviousLogFilePath() { return LogFolder() + std::string(kPreviousLogName); }

void WriteDebugLog(std::string_view message) {
  if (!logOn) return;
  const std::string folder = LogFolder();
  const std::string path = LogFilePath();

  if (!DirectoryExists(folder) && !ForceDirectories(folder)) {
    ShowMessage("Cannot create debug directory!", MB_OK | MB_ICONSTOP);
    return;
  }
  SYSTEMTIME now = {};
  ::GetLocalTime(&now);
  const std::string line = LogLine({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                                    now.wMilliseconds},
                                   ::GetCurrentProcessId(), message);
  // Opened and closed for every line, so no handle outlives the call.
  UniqueFile file = OpenForAppending(path);
  if (!file) throw std::runtime_error("Cannot open file \"" + path + "\".");
  const DWORD size = ::GetFileSize(file.get(), nullptr);
  if (size != INVALID_FILE_SIZE && LogIsFull(size, line.size())) {
    // Full: it becomes the previous log. Another process that moved it first
    // (or holds it without sharing its deletion) leaves this one to append.
    file.reset();
    (void)::MoveFileExW(Widen(path).c_str(), Widen(PreviousLogFilePath()).c_str(), MOVEFILE_REPLACE_EXISTING);
    file = OpenForAppending(path);
    if (!file) throw std::runtime_error("Cannot open file \"" + path + "\".");
  }
  if (!WriteAll(file.get(), line)) throw std::runtime_error("Cannot write file \"" + path + "\".");
}

void LogLastError(std::string_view operation, std::string_view detail) noexcept {
  const DWORD error = ::GetLastError();
  if (!logOn) return;
  try {
    std::string line = std::string(operation) + " failed, error " + std::to_string(error);
    if (!detail.empty()) line += " (" + std::string(detail) + ")";
    WriteDebugLog(line);
  } catch (...) {
    // The log itself failed: nothing more can be said.
  }
}

void LogCaught(std::string_view where) noexcept {
  const std::exception_ptr caught = std::current_exception();
  if (!logOn || !caught) return;
  try {
    try {
      std::rethrow_exception(caught);
    } catch (const std::exception& e) {
      WriteDebugLog(std::string(where) + " - caught " + e.what());
    } catch (...) {
      WriteDebugLog(std::string(where) + " - caught an unknown exception");
    }
  } catch (...) {
    // The log itself failed: nothing more can be said.
  }
}

}  // namespace mervalis
