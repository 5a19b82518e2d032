#include "wallpaper/desktop_background_win.h"

#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <string>

#include "common/debug_log.h"
#include "common/registry_win.h"
#include "common/system_library_win.h"
#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "wallpaper/desktop_kind.h"

namespace mervalis {

// IDesktopWallpaper (shobjidl_core.h, Windows 8 and later), declared here
// in its order: the headers declare it only for builds aimed at Windows 8.
struct DesktopWallpaper : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR monitor, LPCWSTR wallpaper) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWallpaper(LPCWSTR monitor, LPWSTR* wallpaper) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathAt(UINT index, LPWSTR* monitor) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonitorDevicePathCount(UINT* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMonitorRECT(LPCWSTR monitor, RECT* rect) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetBackgroundColor(COLORREF color) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetBackgroundColor(COLORREF* color) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPosition(int position) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPosition(int* position) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSlideshow(IShellItemArray* items) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSlideshow(IShellItemArray** items) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetSlideshowOptions(int options, UINT tickMs) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetSlideshowOptions(int* options, UINT* tickMs) = 0;
  virtual HRESULT STDMETHODCALLTYPE AdvanceSlideshow(LPCWSTR monitor, int direction) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStatus(int* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE Enable(BOOL enable) = 0;
};
namespace {

constexpr char kKindValue[] = "BackgroundType";
constexpr std::uint32_t kPictureBackground = 0;
constexpr int kShuffleImages = 1;  // DSO_SHUFFLEIMAGES

constexpr GUID kDesktopWallpaperClass = {0xc2cf3110, 0x460e, 0x4fc1, {0xb9, 0xd0, 0x8a, 0x1c, 0x0c, 0x9c, 0xc4, 0xbd}};
constexpr GUID kDesktopWallpaperId = {0xb92b56a9, 0x8b55, 0x4e14, {0x9a, 0x89, 0x01, 0x99, 0xbb, 0xb6, 0xf9, 0x3b}};
constexpr GUID kShellItemId = {0x43826d1e, 0xe718, 0x42ee, {0xbc, 0x55, 0xa1, 0xe2, 0x61, 0xc3, 0x7b, 0xfe}};
constexpr GUID kShellItemArrayId = {0xb63ea76d, 0x1f85, 0x456f, {0xa1, 0x9c, 0x48, 0x15, 0x9e, 0xfa, 0x85, 0x8b}};

// The interface, where Windows has it (COM initialised by the caller).
ComPtr<DesktopWallpaper> OpenDesktopWallpaper() noexcept {
  ComPtr<DesktopWallpaper> wallpaper;
  if (FAILED(::CoCreateInstance(kDesktopWallpaperClass, nullptr, CLSCTX_ALL, kDesktopWallpaperId,
                                wallpaper.put_void()))) {
    wallpaper.reset();
  }
  return wallpaper;
}

// The slideshow's first folder, as a file system path; empty when unknown.
std::string SlideshowFolder(const ComPtr<DesktopWallpaper>& wallpaper) {
  IShellItemArray* raw = nullptr;
  if (FAILED(wallpaper->GetSlideshow(&raw)) || !raw) return {};
  ComPtr<IShellItemArray> items;
  *items.put() = raw;
  DWORD count = 0;
  ComPtr<IShellItem> first;
  if (FAILED(items->GetCount(&count)) || count == 0 || FAILED(items->GetItemAt(0, first.put())) || !first) return {};
  wchar_t* path = nullptr;
  if (FAILED(first->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path) return {};
  std::string folder = Narrow(path);
  ::CoTaskMemFree(path);
  return folder;
}

// The folder as the one-item array SetSlideshow takes (Vista's functions,
// looked up: the program still starts on XP).
ComPtr<IShellItemArray> FolderArray(const std::string& folder) {
  using ItemFromPath = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
  using ArrayFromItem = HRESULT(WINAPI*)(IShellItem*, REFIID, void**);
  ComPtr<IShellItemArray> items;
  const UniqueModule shell32 = LoadSystemLibrary("shell32.dll");
  if (!shell32) return items;
  const auto fromPath = reinterpret_cast<ItemFromPath>(
      reinterpret_cast<void*>(::GetProcAddress(shell32.get(), "SHCreateItemFromParsingName")));
  const auto fromItem = reinterpret_cast<ArrayFromItem>(
      reinterpret_cast<void*>(::GetProcAddress(shell32.get(), "SHCreateShellItemArrayFromShellItem")));
  ComPtr<IShellItem> item;
  if (!fromPath || !fromItem || FAILED(fromPath(Widen(folder).c_str(), nullptr, kShellItemId, item.put_void())) ||
      FAILED(fromItem(item.get(), kShellItemArrayId, items.put_void()))) {
    items.reset();
  }
  return items;
}

void WriteKind(std::uint32_t kind) noexcept {
  RegistryKey key;
  if (key.Create(HKEY_CURRENT_USER, kBackgroundKindKey, KEY_SET_VALUE) == ERROR_SUCCESS)
    (void)key.WriteDword(kKindValue, kind);
}

}  // namespace

std::optional<std::uint32_t> ReadBackgroundKind() noexcept {
  RegistryKey key;
  DWORD kind = 0;
  if (key.Open(HKEY_CURRENT_USER, kBackgroundKindKey, KEY_READ) != ERROR_SUCCESS ||
      key.ReadDword(kKindValue, kind) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return kind;
}

std::optional<DesktopBackground> ReadDesktopBackground() noexcept {
  try {
    const std::optional<std::uint32_t> kind = ReadBackgroundKind();
    if (!kind) return std::nullopt;
    DesktopBackground background{*kind, {}};
    if (*kind != kSlideshowBackground) return background;
    SlideshowSettings& show = background.slideshow;
    RegistryKey key;
    DWORD value = 0;
    if (key.Open(HKEY_CURRENT_USER, kSlideshowKey, KEY_READ) == ERROR_SUCCESS) {
      if (key.ReadDword("Interval", value) == ERROR_SUCCESS) show.interval = value;
      if (key.ReadDword("Shuffle", value) == ERROR_SUCCESS) show.shuffle = value;
    }
    ComInit com;
    if (!com.ok()) return background;
    if (ComPtr<DesktopWallpaper> wallpaper = OpenDesktopWallpaper()) {
      show.folder = SlideshowFolder(wallpaper);
      int options = 0;
      UINT tick = 0;
      if (!show.interval && SUCCEEDED(wallpaper->GetSlideshowOptions(&options, &tick))) {
        show.interval = tick;
        show.shuffle = (options & kShuffleImages) != 0 ? 1 : 0;
      }
    }
    return background;
  } catch (...) {
    LogCaught("ReadDesktopBackground");
    return std::nullopt;
  }
}

void EndWindowsRotation(std::string_view picture) noexcept {
  try {
    ComInit com;
    if (com.ok()) {
      if (ComPtr<DesktopWallpaper> wallpaper = OpenDesktopWallpaper()) {
        (void)wallpaper->SetWallpaper(nullptr /* every monitor */, Widen(picture).c_str());
      }
    }
  } catch (...) {
    LogCaught("EndWindowsRotation");
  }
  WriteKind(kPictureBackground);
}

void RestoreDesktopBackground(const DesktopBackground& background) noexcept {
  try {
    const SlideshowSettings& show = background.slideshow;
    if (background.kind == kSlideshowBackground) {
      RegistryKey key;
      if (key.Create(HKEY_CURRENT_USER, kSlideshowKey, KEY_SET_VALUE) == ERROR_SUCCESS) {
        if (show.interval) (void)key.WriteDword("Interval", *show.interval);
        if (show.shuffle) (void)key.WriteDword("Shuffle", *show.shuffle);
      }
      ComInit com;
      ComPtr<DesktopWallpaper> wallpaper;
      if (com.ok()) wallpaper = OpenDesktopWallpaper();
      if (wallpaper) {
        if (show.interval) {
          (void)wallpaper->SetSlideshowOptions(show.shuffle.value_or(0) != 0 ? kShuffleImages : 0, *show.interval);
        }
        if (!show.folder.empty()) {
          if (ComPtr<IShellItemArray> items = FolderArray(show.folder)) (void)wallpaper->SetSlideshow(items.get());
        }
      }
    }
  } catch (...) {
    LogCaught("RestoreDesktopBackground");
  }
  WriteKind(background.kind);
}

}  // namespace mervalis
