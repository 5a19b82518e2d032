#include "wine/file_watch.h"

#include <windows.h>

#include "wine/support.h"

namespace wine_test {

namespace {

// Wine's own translations between its drive paths and Linux paths.
std::string UnixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  wchar_t wide[MAX_PATH] = {};
  if (!toUnix || !::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return {};
  char* unix = toUnix(wide);
  if (!unix) return {};
  std::string result = unix;
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

// One quoted argument of a command line, with the space before it.
std::string Argument(const std::string& text) {
  std::string argument = " \"";
  argument += text;
  argument += '"';
  return argument;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void Remove(const std::string& log) {
  for (const char* suffix : {"", ".ready", ".stop", ".part"}) ::DeleteFileA((log + suffix).c_str());
}

bool WaitFor(const std::string& path, DWORD timeoutMs) {
  for (DWORD waited = 0; !Exists(path); waited += 50) {
    if (waited >= timeoutMs) return false;
    ::Sleep(50);
  }
  return true;
}

}  // namespace

FileWatch::FileWatch(const std::vector<std::string>& folders) {
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  log_ = std::string(temp) + "mervalis_file_watch_" + std::to_string(::GetCurrentProcessId()) + ".log";
  Remove(log_);
  std::string script = __FILE__;  // the source tree's Linux path
  script = script.substr(0, script.find_last_of('/') + 1) + "file_watch.py";
  std::string commandLine = "python3";
  commandLine += Argument(script);
  commandLine += Argument(UnixPath(log_));
  for (const std::string& folder : folders) commandLine += Argument(UnixPath(folder));
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  // Wine runs a Linux program itself; it gives no handles for it.
  if (!::CreateProcessA("Z:\\usr\\bin\\python3", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return;
  }
  if (process.hProcess) ::CloseHandle(process.hProcess);
  if (process.hThread) ::CloseHandle(process.hThread);
  ok_ = WaitFor(log_ + ".ready", 30000);
}

FileWatch::~FileWatch() { (void)Stop(); }

std::vector<std::string> FileWatch::Stop() {
  std::vector<std::string> lines;
  if (stopped_) return lines;
  stopped_ = true;
  (void)WriteFileBytes(log_ + ".stop", "");
  if (ok_ && WaitFor(log_, 10000)) {
    const std::string text = ReadFileBytes(log_);
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }
  Remove(log_);
  return lines;
}

}  // namespace wine_test
