#include "control/creation_handler_win.h"

#include <shellapi.h>

#include <string>

#include "common/wide_text_win.h"
#include "common/win_handles.h"
#include "control/control_logic.h"
#include "wallpaper/active_desktop.h"

namespace quorvanex {

namespace {

// The Active Desktop answers in a buffer of this many wide characters.
constexpr UINT kWallpaperChars = 260;

// The container's URL property, read late-bound (no HTML headers needed).
std::string ContainerUrl(IOleClientSite* site) {
  mervalis::ComPtr<IOleContainer> container;
  mervalis::ComPtr<IDispatch> document;
  if (FAILED(site->GetContainer(container.put())) || !container ||
      FAILED(container.As(IID_IDispatch, document))) {
    return {};
  }
  wchar_t name[] = L"URL";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  if (FAILED(document->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return {};
  DISPPARAMS none = {};
  VARIANT url;
  ::VariantInit(&url);
  std::string address;
  if (SUCCEEDED(document->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &url, nullptr,
                                 nullptr)) &&
      url.vt == VT_BSTR && url.bstrVal) {
    address = mervalis::Narrow(url.bstrVal);
  }
  ::VariantClear(&url);
  return address;
}

std::string ContainerMonikerName(IOleClientSite* site) {
  mervalis::ComPtr<IMoniker> moniker;
  mervalis::ComPtr<IBindCtx> context;
  if (FAILED(site->GetMoniker(OLEGETMONIKER_ONLYIFTHERE, OLEWHICHMK_CONTAINER, moniker.put())) || !moniker ||
      FAILED(::CreateBindCtx(0, context.put()))) {
    return {};
  }
  LPOLESTR name = nullptr;
  if (FAILED(moniker->GetDisplayName(context.get(), nullptr, &name)) || !name) return {};
  const std::string address = mervalis::Narrow(name);
  ::CoTaskMemFree(name);
  return address;
}

std::string SystemDirectory() {
  wchar_t buffer[MAX_PATH] = {};
  const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
  return (length == 0 || length >= MAX_PATH) ? std::string() : mervalis::Narrow(std::wstring_view(buffer, length));
}

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(mervalis::Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The verdicts and the caption are the control's own ASCII texts.
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
  ::ShellExecuteW(::GetDesktopWindow(), L"open", mervalis::Widen(application).c_str(),
                  mervalis::Widen(mervalis::kApplyArgument).c_str(), nullptr, SW_SHOWNORMAL);
}

}  // namespace

std::string CurrentActiveDesktopWallpaper() noexcept {
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
  return mervalis::Narrow(buffer);
}

std::string HostPageAddress(IOleClientSite* site) noexcept {
  if (!site) return {};
  std::string address = ContainerMonikerName(site);
  if (address.empty()) address = ContainerUrl(site);
  return address;
}

void RunCreationHandler(HWND owner) noexcept { HandleCreation(owner); }

}  // namespace quorvanex
