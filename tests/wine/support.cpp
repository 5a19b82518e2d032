#include "wine/support.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/debug_log.h"
#include "common/folders_win.h"
#include "common/registry_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"

namespace wine_test {

namespace {

// Handles of started processes. Touched by the test thread and the watchdog.
CRITICAL_SECTION g_lock;
std::vector<HANDLE>* g_started = nullptr;

struct LockInit {
  LockInit() {
    ::InitializeCriticalSection(&g_lock);
    g_started = new std::vector<HANDLE>();
  }
} g_lockInit;

void Track(HANDLE process) {
  ::EnterCriticalSection(&g_lock);
  g_started->push_back(process);
  ::LeaveCriticalSection(&g_lock);
}

void Untrack(HANDLE process) {
  ::EnterCriticalSection(&g_lock);
  g_started->erase(std::remove(g_started->begin(), g_started->end(), process), g_started->end());
  ::LeaveCriticalSection(&g_lock);
}

}  // namespace

std::string BinFolder() {
  char buffer[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  std::string path = buffer;
  return path.substr(0, path.find_last_of('\\') + 1);
}

std::string ProgramPath() { return BinFolder() + "Mervalis.exe"; }

std::string LogPath(bool perUser) {
  return (perUser ? mervalis::GetSpecialFolder(0x001c) + "\\Quorvane\\" : mervalis::GetInstallFolder()) +
         "Mervalis.log";
}

std::string LogMessages(bool perUser) {
  const std::string text = ReadFileBytes(LogPath(perUser));
  std::string messages;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find("\r\n", at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    unsigned y, mo, d, h, mi, s, ms, pid;
    int head = 0;
    const bool stamped = std::sscanf(line.c_str(), "%4u-%2u-%2u %2u:%2u:%2u.%3u [%u] %n", &y, &mo, &d, &h, &mi, &s,
                                     &ms, &pid, &head) == 8 &&
                         head == 27 + static_cast<int>(std::to_string(pid).size()) && pid != 0;
    messages += (stamped ? line.substr(head) : line) + "\r\n";
    at = end + 2;
  }
  return messages;
}

namespace {

void RemoveLogs() {
  for (bool perUser : {false, true}) ::DeleteFileA(LogPath(perUser).c_str());
}

void SetLogValue(bool on) {
  mervalis::RegistryKey registry;
  if (registry.Create(HKEY_CURRENT_USER, "Software\\Quorvanesoft") != ERROR_SUCCESS) return;
  if (on) {
    (void)registry.WriteDword("Mervalis log", 1);
  } else {
    (void)registry.DeleteValue("Mervalis log");
  }
}

}  // namespace

LogOn::LogOn() {
  RemoveLogs();
  mervalis::SwitchLog(true);
  SetLogValue(true);
}

LogOn::~LogOn() {
  SetLogValue(false);
  mervalis::SwitchLog(false);
  RemoveLogs();
}

std::string ArtifactFolder() {
  char buffer[MAX_PATH] = {};
  if (::GetEnvironmentVariableA("MERVALIS_ARTIFACTS", buffer, MAX_PATH) && buffer[0]) {
    std::string folder = buffer;
    if (folder.back() != '\\') folder += '\\';
    return folder;
  }
  return BinFolder();
}

Process::Process(const std::string& exe, std::string_view arguments) {
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine.append(" ").append(arguments);
  Start(exe, commandLine);
}

Process Process::WithCommandLine(const std::string& exe, const std::string& commandLine) {
  Process p;
  p.Start(exe, commandLine);
  return p;
}

// Paths in UTF-8, as the program's own are: a folder named in any script starts.
void Process::Start(const std::string& exe, const std::string& commandLine) {
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  std::wstring line = mervalis::Widen(commandLine);
  if (::CreateProcessW(mervalis::Widen(exe).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                       &pi)) {
    ::CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    id_ = pi.dwProcessId;
    Track(process_);
  }
}

Process::Process(Process&& other) noexcept : process_(other.process_), id_(other.id_) {
  other.process_ = nullptr;
  other.id_ = 0;
}

Process::~Process() {
  if (!process_) return;
  Kill();
  Untrack(process_);
  ::CloseHandle(process_);
}

bool Process::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (!process_ || ::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) ::GetExitCodeProcess(process_, exitCode);
  return true;
}

bool Process::Running() const {
  return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
  if (Running()) {
    ::TerminateProcess(process_, 99);
    ::WaitForSingleObject(process_, 5000);
  }
}

void KillStartedProcesses() {
  ::EnterCriticalSection(&g_lock);
  for (HANDLE h : *g_started) {
    if (::WaitForSingleObject(h, 0) == WAIT_TIMEOUT) ::TerminateProcess(h, 99);
  }
  ::LeaveCriticalSection(&g_lock);
}

namespace {

template <typename F>
void ForEachProcessNamed(std::string_view exeFileName, F&& f) {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL ok = ::Process32First(snapshot, &entry); ok; ok = ::Process32Next(snapshot, &entry)) {
    if (lstrcmpiA(entry.szExeFile, std::string(exeFileName).c_str()) == 0) f(entry.th32ProcessID);
  }
  ::CloseHandle(snapshot);
}

}  // namespace

void KillProcessesNamed(std::string_view exeFileName) {
  ForEachProcessNamed(exeFileName, [](DWORD pid) {
    if (HANDLE h = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
      ::TerminateProcess(h, 99);
      ::WaitForSingleObject(h, 5000);
      ::CloseHandle(h);
    }
  });
}

bool IsProcessRunning(std::string_view exeFileName) {
  bool found = false;
  ForEachProcessNamed(exeFileName, [&](DWORD) { found = true; });
  return found;
}

namespace {

// CPU time of every thread of a process, in milliseconds. (Wine reports no
// times for another process as a whole, but does for its threads.)
double CpuMs(DWORD pid) {
  double total = 0;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != pid) continue;
    if (HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID)) {
      FILETIME created, exited, kernel, user;
      if (::GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
        const auto ms = [](const FILETIME& t) {
          return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
        };
        total += ms(kernel) + ms(user);
      }
      ::CloseHandle(thread);
    }
  }
  ::CloseHandle(snapshot);
  return total;
}

}  // namespace

double CpuOver(DWORD pid, DWORD ms) {
  const double before = CpuMs(pid);
  ::Sleep(ms);
  return CpuMs(pid) - before;
}

bool DisplayDiffers(int width, int height, int bitsPerPixel) {
  const mervalis::WindowDc screen(nullptr);
  int bits = ::GetDeviceCaps(screen.get(), BITSPIXEL) * ::GetDeviceCaps(screen.get(), PLANES);
  // Bits of colour, as X counts a display's depth: 32 bits per pixel hold 24.
  if (bits == 32) bits = 24;
  if (::GetSystemMetrics(SM_CXSCREEN) == width && ::GetSystemMetrics(SM_CYSCREEN) == height &&
      bits == bitsPerPixel) {
    return false;
  }
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  std::printf("[ DISPLAY  ] %dx%dx%d %s.%s\n", width, height, bitsPerPixel, test ? test->test_suite_name() : "?",
              test ? test->name() : "?");
  std::fflush(stdout);
  return true;
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

bool WriteFileBytes(const std::string& path, std::string_view bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return (std::fclose(f) == 0) && ok;
}

void ForEachInFolder(const std::string& folder, const std::function<void(const WIN32_FIND_DATAA&)>& visit) {
  const std::string pattern = folder + (!folder.empty() && folder.back() == '\\' ? "*" : "\\*");
  WIN32_FIND_DATAA data;
  mervalis::UniqueFind find(::FindFirstFileA(pattern.c_str(), &data));
  if (!find) return;
  do {
    const std::string_view name = data.cFileName;
    if (name != "." && name != "..") visit(data);
  } while (::FindNextFileA(find.get(), &data));
}

std::vector<std::string> FolderListing(const std::string& folder) {
  std::vector<std::string> names;
  ForEachInFolder(folder, [&](const WIN32_FIND_DATAA& entry) { names.emplace_back(entry.cFileName); });
  std::sort(names.begin(), names.end());
  return names;
}

std::uint32_t Read32(const std::string& bytes, std::size_t at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + at;
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool SetString(HKEY root, std::string_view key, std::string_view name, std::string_view value) {
  mervalis::RegistryKey registry;
  const LONG created = registry.Create(root, key, KEY_SET_VALUE);
  const LONG written = created == ERROR_SUCCESS ? registry.WriteString(name, value) : created;
  EXPECT_EQ(written, ERROR_SUCCESS) << key << " \\ " << name;
  return written == ERROR_SUCCESS;
}

std::wstring ReadValueW(const wchar_t* key, const wchar_t* name) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return L"<missing>";
  mervalis::RegistryKey raw;
  raw.Attach(opened);
  wchar_t data[1024] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  DWORD type = 0;
  const LONG status = ::RegQueryValueExW(raw.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(data) : std::wstring(L"<missing>");
}

bool SetValue(HKEY root, std::string_view key, std::string_view name, DWORD type, const void* data, DWORD size) {
  mervalis::RegistryKey registry;
  return registry.Create(root, key, KEY_SET_VALUE) == ERROR_SUCCESS &&
         ::RegSetValueExW(registry.get(), mervalis::Widen(name).c_str(), 0, type, static_cast<const BYTE*>(data),
                          size) == ERROR_SUCCESS;
}

SavedValue::SavedValue(HKEY root, std::string key, std::string name)
    : root_(root), key_(std::move(key)), name_(std::move(name)) {
  mervalis::RegistryKey registry;
  DWORD size = 0;
  keyExisted_ = mervalis::KeyExists(root_, key_);
  if (registry.Open(root_, key_, KEY_QUERY_VALUE) != ERROR_SUCCESS ||
      registry.QueryValue(name_, &type_) != ERROR_SUCCESS) {
    return;
  }
  const std::wstring wideName = mervalis::Widen(name_);
  if (::RegQueryValueExW(registry.get(), wideName.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return;
  bytes_.resize(size);
  existed_ = ::RegQueryValueExW(registry.get(), wideName.c_str(), nullptr, &type_,
                                reinterpret_cast<BYTE*>(bytes_.data()), &size) == ERROR_SUCCESS;
  bytes_.resize(size);
}

SavedValue::~SavedValue() {
  if (existed_) {
    (void)SetValue(root_, key_, name_, type_, bytes_.data(), static_cast<DWORD>(bytes_.size()));
    return;
  }
  mervalis::RegistryKey registry;
  if (registry.Open(root_, key_, KEY_SET_VALUE) == ERROR_SUCCESS) (void)registry.DeleteValue(name_);
  registry.Close();
  if (!keyExisted_) ::RegDeleteKeyW(root_, mervalis::Widen(key_).c_str());
}

std::string TempFolder() {
  wchar_t buffer[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, buffer);
  return mervalis::Narrow(buffer);
}

bool ValueExists(HKEY root, std::string_view key, std::string_view name) {
  mervalis::RegistryKey registry;
  return registry.Open(root, key, KEY_READ) == ERROR_SUCCESS && registry.QueryValue(name) == ERROR_SUCCESS;
}

}  // namespace wine_test
