#include "control/runtime_control_win.h"

#include <olectl.h>

#include <new>

#include "control/control_logic.h"
#include "control/creation_handler_win.h"

namespace quorvanex {

namespace {

constexpr DWORD kSafetyOptions = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

}  // namespace

HRESULT CreateRuntimeControl(REFIID iid, void** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  auto* control = new (std::nothrow) RuntimeControl();
  if (!control) return E_OUTOFMEMORY;
  const HRESULT hr = control->QueryInterface(iid, out);
  control->Release();  // the caller's reference, if any, is the only one left
  return hr;
}

RuntimeControl::RuntimeControl() noexcept : events_(*this) {}

RuntimeControl::~RuntimeControl() = default;

// ---- IUnknown ----

HRESULT RuntimeControl::QueryInterface(REFIID iid, void** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  // Each interface with the base that answers for it; the interfaces that an
  // interface derives from are answered by that same base.
  struct Answer {
    const IID* iid;
    IUnknown* base;
  };
  const Answer answers[] = {
      {&IID_IUnknown, static_cast<IOleObject*>(this)},
      {&IID_IDispatch, static_cast<IQuorvaneX*>(this)},
      {&IID_IQuorvaneX, static_cast<IQuorvaneX*>(this)},
      {&IID_IOleObject, static_cast<IOleObject*>(this)},
      {&IID_IOleControl, static_cast<IOleControl*>(this)},
      {&IID_IOleWindow, static_cast<IOleInPlaceObject*>(this)},
      {&IID_IOleInPlaceObject, static_cast<IOleInPlaceObject*>(this)},
      {&IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
      {&IID_IViewObject, static_cast<IViewObject2*>(this)},
      {&IID_IViewObject2, static_cast<IViewObject2*>(this)},
      {&IID_IPersist, static_cast<IPersistStreamInit*>(this)},
      {&IID_IPersistStreamInit, static_cast<IPersistStreamInit*>(this)},
      {&IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this)},
      {&IID_IProvideClassInfo, static_cast<IProvideClassInfo2*>(this)},
      {&IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)},
      {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
      {&IID_IObjectSafety, static_cast<IObjectSafety*>(this)},
  };
  for (const Answer& answer : answers) {
    if (IsEqualIID(iid, *answer.iid)) return HandOut(answer.base, out);
  }
  return E_NOINTERFACE;
}

bool RuntimeControl::Implements(REFIID iid) noexcept {
  IUnknown* probe = nullptr;
  if (FAILED(QueryInterface(iid, reinterpret_cast<void**>(&probe)))) return false;
  probe->Release();
  return true;
}

// ---- IOleObject ----

HRESULT RuntimeControl::SetClientSite(IOleClientSite* site) noexcept {
  Hold(site_, site);
  // Every host that embeds a control gives it a site, and a browser engine
  // does so once per OBJECT element; a later call (a new site, or null when
  // the page goes) must not start the program again.
  if (site && !creationHandled_ && !HostPageRefused()) {
    creationHandled_ = true;
    // The host may drop its last reference from inside the handler's box
    // (its message loop runs); this one keeps the object alive until the end.
    AddRef();
    RunCreationHandler(HostWindow());
    Release();
  }
  return S_OK;
}

bool RuntimeControl::HostPageRefused() const noexcept {
  if (!site_) return false;
  return !HostPageAllowed(HostPageAddress(site_.get()));
}

HWND RuntimeControl::HostWindow() const noexcept {
  if (!site_) return nullptr;
  mervalis::ComPtr<IOleWindow> window;
  HWND hwnd = nullptr;
  if (SUCCEEDED(site_.As(IID_IOleWindow, window)) && FAILED(window->GetWindow(&hwnd))) {
    hwnd = nullptr;
  }
  return hwnd;
}

HRESULT RuntimeControl::GetClientSite(IOleClientSite** site) noexcept { return Give(site_, site); }

HRESULT RuntimeControl::Close(DWORD) noexcept {
  (void)InPlaceDeactivate();
  if (adviseHolder_) (void)adviseHolder_->SendOnClose();
  events_.DisconnectAll();
  return S_OK;
}

HRESULT RuntimeControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) noexcept {
  return NoneToGive(moniker, E_NOTIMPL);
}

HRESULT RuntimeControl::GetClipboardData(DWORD, IDataObject** data) noexcept {
  return NoneToGive(data, E_NOTIMPL);
}

HRESULT RuntimeControl::DoVerb(LONG verb, LPMSG, IOleClientSite* activeSite, LONG, HWND,
                               LPCRECT) noexcept {
  if (!site_ && activeSite) Hold(site_, activeSite);
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return ActivateInPlace();
    case OLEIVERB_HIDE:
      if (window_) ::ShowWindow(window_.get(), SW_HIDE);
      return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
      return S_OK;
    default:
      return E_NOTIMPL;
  }
}

HRESULT RuntimeControl::ActivateInPlace() noexcept {
  if (window_) return S_OK;
  if (!site_) return E_UNEXPECTED;
  mervalis::ComPtr<IOleInPlaceSite> inPlace;
  if (FAILED(site_.As(IID_IOleInPlaceSite, inPlace))) return E_NOINTERFACE;
  if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
  HRESULT hr = inPlace->OnInPlaceActivate();
  if (FAILED(hr)) return hr;

  // The frame and document windows matter for menus and tool bars, which an
  // invisible control has none of; only the position is used.
  HWND parent = nullptr;
  mervalis::ComPtr<IOleInPlaceFrame> frame;
  mervalis::ComPtr<IOleInPlaceUIWindow> document;
  RECT position = {};
  RECT clip = {};
  OLEINPLACEFRAMEINFO frameInfo = {};
  frameInfo.cb = sizeof(frameInfo);
  hr = inPlace->GetWindow(&parent);
  if (SUCCEEDED(hr)) {
    hr = inPlace->GetWindowContext(frame.put(), document.put(), &position, &clip, &frameInfo);
  }
  if (SUCCEEDED(hr)) {
    // A plain static window: it paints nothing but its background, and at the
    // page's 0 x 0 pixels not even that.
    window_.reset(::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS,
                                    position.left, position.top, position.right - position.left,
                                    position.bottom - position.top, parent, nullptr,
                                    ModuleInstance(), nullptr));
    if (!window_) hr = E_FAIL;
  }
  if (FAILED(hr)) {
    (void)inPlace->OnInPlaceDeactivate();
    return hr;
  }
  inPlaceSite_ = std::move(inPlace);
  return S_OK;
}

HRESULT RuntimeControl::EnumVerbs(IEnumOLEVERB** verbs) noexcept {
  return NoneToGive(verbs, OLEOBJ_E_NOVERBS);
}

HRESULT RuntimeControl::GetUserClassID(CLSID* clsid) noexcept { return GetClassID(clsid); }

HRESULT RuntimeControl::GetUserType(DWORD, LPOLESTR* userType) noexcept {
  return NoneToGive(userType, OLE_S_USEREG);
}

HRESULT RuntimeControl::SetExtent(DWORD aspect, SIZEL* size) noexcept {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  extent_ = *size;
  return S_OK;
}

HRESULT RuntimeControl::GetExtent(DWORD aspect, SIZEL* size) noexcept {
  if (!size) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_FAIL;
  *size = extent_;
  return S_OK;
}

HRESULT RuntimeControl::Advise(IAdviseSink* sink, DWORD* connection) noexcept {
  if (!connection) return E_POINTER;
  *connection = 0;
  if (!adviseHolder_) {
    const HRESULT hr = ::CreateOleAdviseHolder(adviseHolder_.put());
    if (FAILED(hr)) return hr;
  }
  return adviseHolder_->Advise(sink, connection);
}

HRESULT RuntimeControl::Unadvise(DWORD connection) noexcept {
  return adviseHolder_ ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT RuntimeControl::EnumAdvise(IEnumSTATDATA** advises) noexcept {
  if (!advises) return E_POINTER;
  *advises = nullptr;
  return adviseHolder_ ? adviseHolder_->EnumAdvise(advises) : E_FAIL;
}

HRESULT RuntimeControl::GetMiscStatus(DWORD, DWORD* status) noexcept {
  if (!status) return E_POINTER;
  *status = kMiscStatus;
  return S_OK;
}

// ---- IOleControl ----

HRESULT RuntimeControl::GetControlInfo(CONTROLINFO* info) noexcept {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;  // no mnemonics
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

// ---- IOleWindow, IOleInPlaceObject ----

HRESULT RuntimeControl::GetWindow(HWND* window) noexcept {
  if (!window) return E_POINTER;
  *window = window_.get();
  return window_ ? S_OK : E_FAIL;
}

HRESULT RuntimeControl::InPlaceDeactivate() noexcept {
  if (!inPlaceSite_) return S_OK;
  window_.reset();
  const mervalis::ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
  (void)site->OnInPlaceDeactivate();
  return S_OK;
}

HRESULT RuntimeControl::SetObjectRects(LPCRECT position, LPCRECT) noexcept {
  if (!position) return E_POINTER;
  if (window_) {
    ::SetWindowPos(window_.get(), nullptr, position->left, position->top,
                   position->right - position->left, position->bottom - position->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  return S_OK;
}

// ---- IViewObject2 ----

HRESULT RuntimeControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                    LOGPALETTE** colors) noexcept {
  return NoneToGive(colors, S_FALSE);  // no palette
}

HRESULT RuntimeControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) noexcept {
  viewAspects_ = aspects;
  viewFlags_ = flags;
  Hold(viewSink_, sink);
  return S_OK;
}

HRESULT RuntimeControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) noexcept {
  if (aspects) *aspects = viewAspects_;
  if (flags) *flags = viewFlags_;
  return sink ? Give(viewSink_, sink) : S_OK;
}

HRESULT RuntimeControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) noexcept {
  return GetExtent(aspect, size);
}

// ---- IPersist* ----

HRESULT RuntimeControl::GetClassID(CLSID* clsid) noexcept {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_QuorvaneX;
  return S_OK;
}

HRESULT RuntimeControl::GetSizeMax(ULARGE_INTEGER* size) noexcept {
  if (!size) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

// ---- IConnectionPointContainer ----

HRESULT RuntimeControl::EnumConnectionPoints(IEnumConnectionPoints** points) noexcept {
  return CreateConnectionPointEnumerator(&events_, points);
}

HRESULT RuntimeControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) noexcept {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (!IsEqualIID(iid, DIID_IQuorvaneXEvents)) return CONNECT_E_NOCONNECTION;
  events_.AddRef();
  *point = &events_;
  return S_OK;
}

// ---- IObjectSafety ----

HRESULT RuntimeControl::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                                  DWORD* enabled) noexcept {
  if (!supported || !enabled) return E_POINTER;
  *supported = 0;
  *enabled = 0;
  if (!Implements(iid)) return E_NOINTERFACE;
  if (HostPageRefused()) return E_FAIL;
  *supported = kSafetyOptions;
  *enabled = safety_;
  return S_OK;
}

HRESULT RuntimeControl::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD enabled) noexcept {
  if (!Implements(iid)) return E_NOINTERFACE;
  if (HostPageRefused()) return E_FAIL;
  if (mask & ~kSafetyOptions) return E_FAIL;  // an option this control cannot promise
  safety_ = (safety_ & ~mask) | (enabled & mask);
  return S_OK;
}

}  // namespace quorvanex
