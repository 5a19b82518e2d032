// Shared helpers of the tests that run under Wine: starting the program,
// keeping track of what a test started, the per-test time limit and the
// display a test needs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/registry_win.h"

namespace wine_test {

// Folder of the test binaries (ends with a backslash); the program is built there too.
[[nodiscard]] std::string BinFolder();
[[nodiscard]] std::string ProgramPath();           // Mervalis.exe
// Where the test run keeps screenshots and other files for people to look at.
[[nodiscard]] std::string ArtifactFolder();

// A process started by a test. It is killed when the object goes, and also by
// the watchdog when the test runs out of time.
class Process {
 public:
  // Runs `exe` with the command line `"exe" arguments`.
  Process(const std::string& exe, std::string_view arguments);
  // Runs an exact command line (for tests of the command-line rules).
  static Process WithCommandLine(const std::string& exe, const std::string& commandLine);
  Process(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  [[nodiscard]] bool started() const noexcept { return process_ != nullptr; }
  [[nodiscard]] DWORD id() const noexcept { return id_; }
  [[nodiscard]] HANDLE handle() const noexcept { return process_; }
  // True when the process ended within the time; its exit code in `exitCode`.
  [[nodiscard]] bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
  [[nodiscard]] bool Running() const;
  void Kill();

 private:
  Process() = default;
  void Start(const std::string& exe, const std::string& commandLine);
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// Kills every process that tests started and that still runs, and every
// process whose executable has this file name (for copies the program starts).
void KillStartedProcesses();
void KillProcessesNamed(std::string_view exeFileName);
[[nodiscard]] bool IsProcessRunning(std::string_view exeFileName);

// The CPU time in milliseconds that a process spends over `ms` of wall time,
// counted over its threads. (An animation running takes a few 10 ms steps
// a second; one at rest takes none.)
[[nodiscard]] double CpuOver(DWORD pid, DWORD ms);

// Sets the time limit of the running test (default 60 s).
void SetTestTimeLimit(DWORD ms);

// True when the screen is not `width` x `height` with `bitsPerPixel` of
// colour (24 on a screen of 32 bits per pixel, as X counts depth). Then it
// also prints "[ DISPLAY  ] <width>x<height>x<bits> Suite.Name", by which the
// test runner runs the test again on a display of that kind. Used through
// NEEDS_DISPLAY at the start of a test.
[[nodiscard]] bool DisplayDiffers(int width, int height, int bitsPerPixel);

// A value of any type there (mervalis::KeyExists tells the same of a key).
[[nodiscard]] bool ValueExists(HKEY root, std::string_view key, std::string_view name);
// Writes a REG_SZ value, creating its key; a failure is also the test's.
bool SetString(HKEY root, std::string_view key, std::string_view name, std::string_view value);

// A current user's REG_SZ value read with the wide call, the oracle of the
// tests of text outside the code page; "<missing>" when it cannot be.
[[nodiscard]] std::wstring ReadValueW(const wchar_t* key, const wchar_t* name);
// Writes a value of any type (raw bytes), creating its key; false on failure.
[[nodiscard]] bool SetValue(HKEY root, std::string_view key, std::string_view name, DWORD type, const void* data,
                            DWORD size);

// A registry value that a test changes, put back as it was (or removed, when
// there was none, with its key when the key was not there either) when the
// object goes: also after a failed ASSERT.
class SavedValue {
 public:
  SavedValue(HKEY root, std::string key, std::string name);
  SavedValue(const SavedValue&) = delete;
  SavedValue& operator=(const SavedValue&) = delete;
  ~SavedValue();

 private:
  HKEY root_;
  std::string key_, name_;
  bool keyExisted_ = false, existed_ = false;
  DWORD type_ = 0;
  std::string bytes_;
};

// The user's temporary folder, with its trailing backslash.
[[nodiscard]] std::string TempFolder();

// The log, "Mervalis.log": in the install folder on Windows XP (the tests'
// own Windows), in %LOCALAPPDATA%\Quorvane\ from Vista on.
[[nodiscard]] std::string LogPath(bool perUser = false);
// The log's messages, each with CR LF, every line's time and process
// ("2026-12-09 05:00:22.123 [4242] ") taken off; a line without them is kept
// whole, so that a comparison shows it.
[[nodiscard]] std::string LogMessages(bool perUser = false);

// The log switched on for one test: in this process, and for every program
// started meanwhile by the user's registry value "Mervalis log" = 1. No log
// lies there before or after.
class LogOn {
 public:
  LogOn();
  LogOn(const LogOn&) = delete;
  LogOn& operator=(const LogOn&) = delete;
  ~LogOn();
};

// Files.
[[nodiscard]] std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, std::string_view bytes);
// Calls `visit` for every entry of a folder (given with or without its
// trailing backslash) but "." and "..", in the order the file system gives.
void ForEachInFolder(const std::string& folder, const std::function<void(const WIN32_FIND_DATAA&)>& visit);
// The names in a folder (given with its trailing backslash), sorted.
[[nodiscard]] std::vector<std::string> FolderListing(const std::string& folder);
// A little-endian 32-bit number in a file's bytes.
[[nodiscard]] std::uint32_t Read32(const std::string& bytes, std::size_t at);

// The screen's dots per inch as Windows reports them to programs started
// while it lives; Wine reads the value when a process starts. Wine makes
// every process per-monitor aware unless "DpiScalingVer" is set, as Windows
// has it: `asWindows` sets it, so that a program that asks for no awareness
// runs unaware.
class LogPixels {
 public:
  explicit LogPixels(DWORD dpi, bool asWindows = false) {
    if (key_.Create(HKEY_CURRENT_USER, "Control Panel\\Desktop", KEY_SET_VALUE) != ERROR_SUCCESS) return;
    (void)key_.WriteDword("LogPixels", dpi);
    if (asWindows) (void)key_.WriteDword("DpiScalingVer", 0x1018);
  }
  LogPixels(const LogPixels&) = delete;
  LogPixels& operator=(const LogPixels&) = delete;
  ~LogPixels() {
    (void)key_.DeleteValue("LogPixels");
    (void)key_.DeleteValue("DpiScalingVer");
  }

 private:
  mervalis::RegistryKey key_;
};

}  // namespace wine_test

// The test runs on a screen of this size and colour depth only; elsewhere it
// skips itself and asks the runner for one.
#define NEEDS_DISPLAY(width, height, bitsPerPixel)                      \
  if (::wine_test::DisplayDiffers((width), (height), (bitsPerPixel))) \
  GTEST_SKIP() << "runs on a " #width "x" #height "x" #bitsPerPixel " display"
