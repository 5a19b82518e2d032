// The shell's Active Desktop interface, declared here because mingw-w64's
// shlobj.h declares it only after <wininet.h> has been included, and then with
// the whole component API. The vtable order is the one Windows publishes; the
// methods after SetDesktopItemOptions take records this program never builds,
// so their parameters are kept opaque (all are pointer-sized or DWORDs, which
// leaves the calling convention unchanged).
//
// Needs nothing beyond <windows.h> and <objbase.h>, so that the runtime
// control and the test stand-in can share it. Everything lives in namespace
// mervalis, so it does not collide with shlobj.h's declarations where both
// are seen.
#pragma once

#include <windows.h>
#include <objbase.h>

#include "common/guid_text.h"

namespace mervalis {

inline constexpr CLSID CLSID_ActiveDesktop = GuidFromText("75048700-EF1F-11D0-9888-006097DEACF9");
inline constexpr IID IID_IActiveDesktop = GuidFromText("F490EB00-1240-11D1-9888-006097DEACF9");

// ApplyChanges flags.
inline constexpr DWORD kAdApplySave = 0x1;
inline constexpr DWORD kAdApplyHtmlGen = 0x2;
inline constexpr DWORD kAdApplyRefresh = 0x4;
inline constexpr DWORD kAdApplyAll = kAdApplySave | kAdApplyHtmlGen | kAdApplyRefresh;

// The component options; dwSize must be 12.
struct COMPONENTSOPT {
  DWORD dwSize;
  BOOL fEnableComponents;
  BOOL fActiveDesktop;
};
static_assert(sizeof(COMPONENTSOPT) == 12, "COMPONENTSOPT is 12 bytes");

// The wallpaper options; dwSize must be 8.
struct WALLPAPEROPT {
  DWORD dwSize;
  DWORD dwStyle;
};

struct COMPONENT;  // a desktop item, never built here

struct IActiveDesktop : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE ApplyChanges(DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWallpaper(LPWSTR wallpaper, UINT chars, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetWallpaper(LPCWSTR wallpaper, DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWallpaperOptions(WALLPAPEROPT* options, DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetWallpaperOptions(const WALLPAPEROPT* options,
                                                        DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetPattern(LPWSTR pattern, UINT chars, DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetPattern(LPCWSTR pattern, DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDesktopItemOptions(COMPONENTSOPT* options,
                                                          DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetDesktopItemOptions(const COMPONENTSOPT* options,
                                                          DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddDesktopItem(const COMPONENT* component,
                                                   DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddDesktopItemWithUI(HWND owner, COMPONENT* component,
                                                         DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE ModifyDesktopItem(const COMPONENT* component,
                                                      DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE RemoveDesktopItem(const COMPONENT* component,
                                                      DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDesktopItemCount(int* count, DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDesktopItem(int index, COMPONENT* component,
                                                   DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDesktopItemByID(ULONG_PTR id, COMPONENT* component,
                                                       DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE GenerateDesktopItemHtml(LPCWSTR fileName,
                                                            COMPONENT* component,
                                                            DWORD reserved) = 0;
  virtual HRESULT STDMETHODCALLTYPE AddUrl(HWND owner, LPCWSTR source, COMPONENT* component,
                                           DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDesktopItemBySource(LPCWSTR source,
                                                           COMPONENT* component,
                                                           DWORD reserved) = 0;
};

}  // namespace mervalis
