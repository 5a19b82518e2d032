#include "control/creation_handler_win.h"

#include <shellapi.h>

#include <string>

#include "common/win_handles.h"
#include "control/control_logic.h"
#include "wallpaper/active_desktop.h"

namespace quorvanex {

namespace {

// The Active Desktop answers in a buffer of this many wide characters.
constexpr UINT kWallpaperChars = 260;

std::string Narrow(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size) - 1);  // the terminating zero
  return out;
}

std::string SystemDirectory() {
  char buffer[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryA(buffer, MAX_PATH);
  return (length == 0 || length >= MAX_PATH) ? std::string() : std::string(buffer, length);
}

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ShowVerdict(HWND owner, Verdict verdict) {
  const std::string text(VerdictMessage(verdict));
  const std::string caption(kMessageCaption);
  ::MessageBoxA(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
}

void HandleCreation(HWND owner) {
  const WallpaperTitle found = TitleFromWallpaper(CurrentActiveDesktopWallpaper());
  if (found.verdict != Verdict::kStart) return ShowVerdict(owner, found.verdict);

  const std::string application = ApplicationFileFor(SystemDirectory(), found.title);
  if (!IsExistingFile(application)) return ShowVerdict(owner, Verdict::kApplicationMissing);

  // The program renews the page itself; its success is none of our business.
  ::ShellExecuteA(::GetDesktopWindow(), "open", application.c_str(), "apply", nullptr,
                  SW_SHOWNORMAL);
}

}  // namespace

std::string CurrentActiveDesktopWallpaper() noexcept {
  try {
    // Declared first so that it ends last, after the object is released.
    mervalis::ComInit com;
    wchar_t buffer[kWallpaperChars] = {};
    {
      mervalis::ComPtr<mervalis::IActiveDesktop> desktop;
      if (FAILED(::CoCreateInstance(mervalis::CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER,
                                    mervalis::IID_IActiveDesktop, desktop.put_void())) ||
          FAILED(desktop->GetWallpaper(buffer, kWallpaperChars, 0))) {
        return {};
      }
    }
    buffer[kWallpaperChars - 1] = L'\0';  // whatever the object wrote
    return Narrow(buffer);
  } catch (...) {
    return {};
  }
}

void RunCreationHandler(HWND owner) noexcept {
  try {
    HandleCreation(owner);
  } catch (...) {
    // Out of memory while building a path: there is nothing sensible to show.
  }
}

}  // namespace quorvanex
