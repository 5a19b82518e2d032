#include "desktop/report_win.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <iterator>
#include <string>
#include <vector>

#include "common/debug_log.h"
#include "common/file_io_win.h"
#include "common/file_version.h"
#include "common/folders_win.h"
#include "common/log_text.h"
#include "common/product_names.h"
#include "common/registry_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "desktop/desktop_mode_win.h"
#include "desktop/desktop_place_win.h"
#include "desktop/late_functions_win.h"
#include "desktop/place_report_win.h"
#include "desktop/report_power_win.h"
#include "desktop/report_text.h"
#include "desktop/visibility.h"

namespace mervalis::desktop {

namespace {

constexpr std::size_t kLogLinesShown = 200;
// The programs of the running processes with their ids, file names only.
using Programs = std::vector<std::pair<DWORD, std::string>>;

Programs ProgramNames() {
  Programs names;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return names;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
    std::string name = Narrow(entry.szExeFile);
    names.emplace_back(entry.th32ProcessID, name.substr(name.find_last_of("\\/") + 1));
  }
  ::CloseHandle(snapshot);
  return names;
}

std::string ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  return Narrow(std::wstring_view(name, static_cast<std::size_t>(::GetClassNameW(hwnd, name, 256))));
}

struct Listing {
  const LateFunctions* late = nullptr;
  const Programs* programs = nullptr;
  std::vector<ReportWindow> rows;
  std::vector<HWND> handles;
  HWND progman = nullptr;
};

ReportWindow Describe(HWND hwnd, bool child, const Listing& listing) {
  ReportWindow w;
  w.child = child;
  w.className = ClassOf(hwnd);
  DWORD process = 0;
  ::GetWindowThreadProcessId(hwnd, &process);
  for (const auto& [id, name] : *listing.programs) {
    if (id == process) w.program = name;
  }
  w.visible = ::IsWindowVisible(hwnd) != FALSE;
  if (listing.late->dwmAttribute) {
    DWORD cloaked = 0;  // DWMWA_CLOAKED
    w.cloaked = SUCCEEDED(listing.late->dwmAttribute(hwnd, 14, &cloaked, sizeof(cloaked))) && cloaked != 0;
  }
  w.exStyle = static_cast<std::uint32_t>(::GetWindowLongW(hwnd, GWL_EXSTYLE));
  w.classStyle = static_cast<std::uint32_t>(::GetClassLongW(hwnd, GCL_STYLE));
  if (w.exStyle & WS_EX_LAYERED) {
    BYTE alpha = 255;
    DWORD flags = 0;
    // A window drawn with UpdateLayeredWindow has no attributes to read.
    if (::GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags)) {
      w.layering = Layering::kAlpha;
      w.alpha = (flags & LWA_ALPHA) ? alpha : 255;
    } else {
      w.layering = Layering::kPerPixel;
    }
  }
  RECT r = {};
  ::GetWindowRect(hwnd, &r);
  w.rect = {r.left, r.top, r.right, r.bottom};
  return w;
}

bool AddShellWindow(HWND hwnd, Listing& listing) noexcept {
  try {
    const std::string cls = ClassOf(hwnd);
    if (cls != kProgmanClass && cls != kWorkerClass) return true;
    if (cls == kProgmanClass && !listing.progman) listing.progman = hwnd;
    listing.rows.push_back(Describe(hwnd, false, listing));
    listing.handles.push_back(hwnd);
    for (HWND child = ::GetWindow(hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      listing.rows.push_back(Describe(child, true, listing));
      listing.handles.push_back(child);
    }
  } catch (...) {
    LogCaught("AddShellWindow");
    return false;
  }
  return true;
}

// The top-level "Progman" and "WorkerW" windows in Z order, each followed
// by its children, topmost first.
Listing ListShellWindows(const LateFunctions& late, const Programs& programs) {
  Listing listing;
  listing.late = &late;
  listing.programs = &programs;
  WalkTopLevel([&](HWND hwnd) { return AddShellWindow(hwnd, listing); });
  return listing;
}

std::string Rows(const Listing& listing) {
  std::string text;
  for (const ReportWindow& w : listing.rows) text += WindowRow(w) + "\r\n";
  return text.empty() ? std::string("  (none)\r\n") : text;
}

std::string DwordValue(HKEY root, std::string_view key, std::string_view name) {
  RegistryKey registry;
  DWORD value = 0;
  if (registry.Open(root, key, KEY_READ) != ERROR_SUCCESS || registry.ReadDword(name, value) != ERROR_SUCCESS)
    return "(not set)";
  return std::to_string(value);
}

std::string StringValue(HKEY root, std::string_view key, std::string_view name) {
  RegistryKey registry;
  std::string value;
  if (registry.Open(root, key, KEY_READ) != ERROR_SUCCESS) return "(not set)";
  const LONG read = registry.ReadString(name, value);
  if (read == ERROR_FILE_NOT_FOUND) return "(not set)";
  if (read != ERROR_SUCCESS) return "(not a text)";
  return "\"" + value + "\"";
}

std::string WindowsPart() {
  std::string text = "[Windows]\r\n";
  // RtlGetVersion tells the truth whatever the program's manifest says.
  struct VersionInfo {
    ULONG size, major, minor, build, platform;
    WCHAR servicePack[128];
  } version = {sizeof(VersionInfo), 0, 0, 0, 0, {}};
  using GetVersion = LONG(WINAPI*)(VersionInfo*);
  if (auto get = LateFunctions::Find<GetVersion>(::GetModuleHandleA("ntdll.dll"), "RtlGetVersion")) get(&version);
  const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  text += ReportLine("version", std::to_string(version.major) + "." + std::to_string(version.minor) + ", build " +
                              std::to_string(version.build) + ", update revision " +
                              DwordValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "UBR") + ", release " +
                              StringValue(HKEY_LOCAL_MACHINE, kCurrentVersion, "DisplayVersion"));
  text += ReportLine("session", ::GetSystemMetrics(SM_REMOTESESSION) ? "remote" : "console");
  // The lock screen's desktop is not the user's "Default" one, nor open to the user.
  bool locked = true;
  if (HDESK input = ::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS)) {
    wchar_t name[64] = {};
    DWORD needed = 0;
    locked = ::GetUserObjectInformationW(input, UOI_NAME, name, sizeof(name), &needed) && lstrcmpiW(name, L"Default");
    ::CloseDesktop(input);
  }
  text += ReportLine("locked", locked ? "yes" : "no");
  return text;
}

// The user's SID of a process's token, as bytes; empty when it cannot be read.
std::string UserSidOf(HANDLE process) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) return {};
  std::string sid;
  DWORD size = 0;
  ::GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
  std::vector<BYTE> data(size ? size : 1);
  if (size && ::GetTokenInformation(token, ::TokenUser, data.data(), size, &size)) {
    PSID user = reinterpret_cast<TOKEN_USER*>(data.data())->User.Sid;
    sid.assign(static_cast<const char*>(user), ::GetLengthSid(user));
  }
  ::CloseHandle(token);
  return sid;
}

std::string RightsPart(HWND progman) {
  std::string text = "[Rights]\r\n";
  HANDLE token = nullptr;
  std::string elevated = "unknown", integrity = "unknown";
  if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    DWORD value = 0, size = 0;
    if (::GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(20), &value, sizeof(value), &size)) {
      elevated = value ? "yes" : "no";  // TokenElevation
    }
    BYTE label[64] = {};
    if (::GetTokenInformation(token, static_cast<TOKEN_INFORMATION_CLASS>(25), label, sizeof(label), &size)) {
      PSID sid = reinterpret_cast<SID_AND_ATTRIBUTES*>(label)->Sid;  // TokenIntegrityLevel
      const DWORD rid = *::GetSidSubAuthority(sid, *::GetSidSubAuthorityCount(sid) - 1);
      integrity = std::string(rid >= 0x4000 ? "system" : rid >= 0x3000 ? "high" : rid >= 0x2000 ? "medium" : "low") +
                  " (0x" + Hexadecimal(rid, 4) + ")";
    }
    ::CloseHandle(token);
  }
  text += ReportLine("elevated", elevated);
  text += ReportLine("integrity level", integrity);
  std::string shellUser = "no shell window";
  HWND shell = ::GetShellWindow();
  if (!shell) shell = progman;
  if (shell) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(shell, &pid);
    shellUser = "unknown";
    // PROCESS_QUERY_LIMITED_INFORMATION from Vista on, else the full right.
    HANDLE process = ::OpenProcess(0x1000, FALSE, pid);
    if (!process) process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (process) {
      const std::string theirs = UserSidOf(process), ours = UserSidOf(::GetCurrentProcess());
      if (!theirs.empty() && !ours.empty()) shellUser = theirs == ours ? "yes" : "no";
      ::CloseHandle(process);
    }
  }
  text += ReportLine("shell's process of the same user", shellUser);
  return text;
}

std::string ShellPart(const LateFunctions& late, const Programs& programs) {
  Listing before = ListShellWindows(late, programs);
  std::string text = "[The shell's windows, topmost first]\r\n" + Rows(before);
  if (!before.progman) return text + "no Progman: no raise message sent\r\n";
  std::string raises;
  std::string last = Rows(before);
  for (std::size_t i = 0; i < std::size(kRaiseSequence); ++i) {
    const RaiseMessage& m = kRaiseSequence[i];
    DWORD_PTR ignored = 0;
    const bool answered = ::SendMessageTimeoutW(before.progman, kRaiseDesktopMessage, m.wParam, m.lParam,
                                                SMTO_NORMAL | SMTO_ABORTIFHUNG, 1000, &ignored) != 0;
    const std::string now = Rows(ListShellWindows(late, programs));
    if (i == 0) text += "[The same after one raise message, 0x052C (0xD, 0)]\r\n" + now;
    raises += RaiseRow(m, answered, now != last) + "\r\n";
    last = now;
    if (!answered) break;
  }
  return text + "[Raise messages, in turn]\r\n" + raises;
}

std::string SettingsPart(const LateFunctions& late) {
  std::string text = "[Settings]\r\n";
  BOOL animation = TRUE;
  text += ReportLine("client-area animation", !::SystemParametersInfoW(0x1042, 0, &animation, 0) ? "unknown"
                                        : animation                                        ? "on"
                                                                                           : "off");
  text += ReportLine("HideIcons",
               DwordValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", "HideIcons"));
  text += ReportLine("BackgroundType", DwordValue(HKEY_CURRENT_USER,
                                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Wallpapers",
                                            "BackgroundType"));
  for (const char* name : {"Wallpaper", "WallpaperStyle", "TileWallpaper"}) {
    text += ReportLine(name, StringValue(HKEY_CURRENT_USER, kDesktopKey, name));
  }
  SYSTEM_POWER_STATUS power = {};
  // The status flag (battery saver, Windows 10) is the byte after the battery's.
  text += ReportLine("battery saver", !::GetSystemPowerStatus(&power) ? "unknown"
                                : (reinterpret_cast<const BYTE*>(&power)[3] & 1) ? "on"
                                                                                  : "off");
  return text + PowerSettings(late);
}

// The visible top-level windows above the desktop's own, as the mode's
// cover rule sees them.
struct CoverSearch {
  const LateFunctions* late = nullptr;
  const Programs* programs = nullptr;
  std::vector<TopWindowState> above;
  std::vector<std::string> programOf;
};

bool CollectAbove(HWND hwnd, CoverSearch& s) noexcept {
  if (!::IsWindowVisible(hwnd)) return true;
  const std::string cls = ClassOf(hwnd);
  if (cls == kProgmanClass || ::FindWindowExW(hwnd, nullptr, L"SHELLDLL_DefView", nullptr)) return false;
  try {
    Listing one;
    one.late = s.late;
    one.programs = s.programs;
    const ReportWindow w = Describe(hwnd, false, one);
    TopWindowState state;
    state.rect = w.rect;
    state.minimised = ::IsIconic(hwnd) != FALSE;
    state.cloaked = w.cloaked;
    state.clickThrough = (w.exStyle & WS_EX_TRANSPARENT) != 0;
    state.alpha = w.layering == Layering::kAlpha ? w.alpha : 255;
    state.perPixelAlpha = w.layering == Layering::kPerPixel;
    state.className = cls;
    s.above.push_back(state);
    s.programOf.push_back(w.program);
  } catch (...) {
    LogCaught("CollectAbove");
    return false;
  }
  return true;
}

std::string ModePart(const LateFunctions& late, const Programs& programs,
                     const std::vector<Monitor>& monitors) {
  std::string text = "[The desktop mode]\r\n";
  UniqueHandle mutex(::OpenMutexA(SYNCHRONIZE, FALSE, kDesktopMutexName));
  text += ReportLine("running", mutex ? "yes" : "no");
  text += ReportLine("its word (\"Mervalis desktop\")", PlaceWord(AwaitPlaceReport(0)));
  const Listing shell = ListShellWindows(late, programs);
  for (std::size_t i = 0; i < shell.rows.size(); ++i) {
    if (shell.rows[i].className != kDesktopViewClass) continue;
    HWND view = shell.handles[i];
    HWND parent = ::GetParent(view);
    RECT r = {};
    ::GetWindowRect(view, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    HWND above = ::GetWindow(view, GW_HWNDPREV), below = ::GetWindow(view, GW_HWNDNEXT);
    text += "view: in " + ClassOf(parent) + " at (" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
            std::to_string(r.right) + "," + std::to_string(r.bottom) + "), below " +
            (above ? ClassOf(above) : std::string("nothing")) + ", above " +
            (below ? ClassOf(below) : std::string("nothing")) + (shell.rows[i].visible ? "" : ", hidden") + "\r\n";
  }
  CoverSearch search;
  search.late = &late;
  search.programs = &programs;
  WalkTopLevel([&](HWND hwnd) { return CollectAbove(hwnd, search); });
  for (std::size_t m = 0; m < monitors.size(); ++m) {
    std::vector<std::size_t> by;
    std::string row = "monitor " + std::to_string(m + 1) + ": ";
    if (CoveredTogether(search.above, monitors[m].work, &by)) {
      row += "rests, covered by";
      for (std::size_t i : by) row += " " + search.above[i].className + " (" + search.programOf[i] + ")";
    } else {
      row += "not covered";
    }
    text += row + "\r\n";
  }
  return text;
}

std::string LogPart() {
  std::string log, previous;
  if (!ReadWholeFile(LogFilePath(), log)) return "[Log]\r\n(none: the log was off)\r\n";
  if (ReadWholeFile(PreviousLogFilePath(), previous)) log = previous + log;
  return "[Log, its last " + std::to_string(kLogLinesShown) + " lines]\r\n" + LastLines(log, kLogLinesShown);
}

std::string UserProfile() {
  wchar_t folder[MAX_PATH] = {};
  const DWORD n = ::GetEnvironmentVariableW(L"USERPROFILE", folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? Narrow(std::wstring_view(folder, n)) : std::string();
}

}  // namespace

std::string ComposeReport() {
  const LateFunctions late;
  const Programs programs = ProgramNames();
  const std::vector<Monitor> monitors = ListMonitors();
  std::string text = std::string(kTitle) + " " + MERVALIS_FILE_VERSION_TEXT + " report\r\n\r\n";
  text += WindowsPart() + "\r\n";
  HWND progman = ::FindWindowW(L"Progman", nullptr);
  text += RightsPart(progman) + "\r\n";
  text += ShellPart(late, programs) + "\r\n";
  text += SettingsPart(late) + "\r\n";
  text += "[Monitors]\r\n";
  for (std::size_t i = 0; i < monitors.size(); ++i) text += MonitorRow(i + 1, monitors[i]) + "\r\n";
  text += "\r\n" + ModePart(late, programs, monitors) + "\r\n";
  text += LogPart();
  return WithoutUserFolder(text, UserProfile());
}

std::string WriteAndOpenReport() {
  const std::string folder = LogFolder();
  const std::string path = folder + std::string(kReportName);
  WriteDebugLog("Report - Begin");
  if (!ForceDirectories(folder) || WriteWholeFile(path, ComposeReport()) != WriteResult::kWritten) {
    LogLastError("Report - writing", path);
    return {};
  }
  WriteDebugLog("Report - Written");
  if (reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", Widen(path).c_str(), nullptr, nullptr,
                                                SW_SHOWNORMAL)) <= 32) {
    LogLastError("Report - ShellExecute open");
  }
  return path;
}

}  // namespace mervalis::desktop
