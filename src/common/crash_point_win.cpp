// Compiled once per setting of the build switch MERVALIS_CRASH_POINTS.
#include "common/crash_point.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#ifndef MERVALIS_CRASH_POINTS
#define MERVALIS_CRASH_POINTS 0
#endif

namespace mervalis {

#if MERVALIS_CRASH_POINTS
namespace {

// The lines in the file, this one included; 0 when it cannot be written.
long AppendAndCount(const char* path, const char* what) noexcept {
  HANDLE file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  // Another process of the run may hold it for a moment.
  for (int tries = 0; file == INVALID_HANDLE_VALUE && tries < 100; ++tries) {
    ::Sleep(10);
    file = ::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) return 0;
  long lines = 1;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    for (DWORD i = 0; i < read; ++i) lines += buffer[i] == '\n';
  }
  DWORD written = 0;
  (void)::WriteFile(file, what, static_cast<DWORD>(std::strlen(what)), &written, nullptr);
  (void)::WriteFile(file, "\n", 1, &written, nullptr);
  ::CloseHandle(file);
  return lines;
}

}  // namespace

void CrashPoint(const char* what) noexcept {
  const char* path = std::getenv("MERVALIS_CRASH_POINTS");
  if (!path || !*path) return;
  const long count = AppendAndCount(path, what);
  const char* at = std::getenv("MERVALIS_CRASH_AT");
  if (!at || count <= 0 || std::atol(at) != count) return;
  const char* stall = std::getenv("MERVALIS_CRASH_STALL");
  if (stall && *stall) {
    ::CloseHandle(::CreateFileA(stall, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    for (;;) ::Sleep(INFINITE);
  }
  ::TerminateProcess(::GetCurrentProcess(), 99);
}
#else
void CrashPoint(const char*) noexcept {}
#endif

}  // namespace mervalis
