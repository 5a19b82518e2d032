#include "control/runtime_control_win.h"

#include <olectl.h>

#include <new>

#include "control/control_logic.h"
#include "control/creation_handler_win.h"

namespace quorvanex {

namespace {

// Stores `object` in `holder` with a reference of its own (or empties it).
template <typename T>
void Hold(mervalis::ComPtr<T>& holder, T* object) noexcept {
  if (object) object->AddRef();
  holder.reset();
  if (object) *holder.put() = object;
}

template <typename T>
HRESULT Give(const mervalis::ComPtr<T>& holder, T** out) noexcept {
  if (!out) return E_POINTER;
  *out = holder.get();
  if (*out) (*out)->AddRef();
  return S_OK;
}

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
  if (IsEqualIID(iid, IID_IUnknown)) return HandOut(static_cast<IOleObject*>(this), out);
  if (IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IQuorvaneX)) {
    return HandOut(static_cast<IQuorvaneX*>(this), out);
  }
  if (IsEqualIID(iid, IID_IOleObject)) return HandOut(static_cast<IOleObject*>(this), out);
  if (IsEqualIID(iid, IID_IOleControl)) return HandOut(static_cast<IOleControl*>(this), out);
  if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceObject)) {
    return HandOut(static_cast<IOleInPlaceObject*>(this), out);
  }
  if (IsEqualIID(iid, IID_IOleInPlaceActiveObject)) {
    return HandOut(static_cast<IOleInPlaceActiveObject*>(this), out);
  }
  if (IsEqualIID(iid, IID_IViewObject) || IsEqualIID(iid, IID_IViewObject2)) {
    return HandOut(static_cast<IViewObject2*>(this), out);
  }
  if (IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IPersistStreamInit)) {
    return HandOut(static_cast<IPersistStreamInit*>(this), out);
  }
  if (IsEqualIID(iid, IID_IPersistPropertyBag)) {
    return HandOut(static_cast<IPersistPropertyBag*>(this), out);
  }
  if (IsEqualIID(iid, IID_IProvideClassInfo) || IsEqualIID(iid, IID_IProvideClassInfo2)) {
    return HandOut(static_cast<IProvideClassInfo2*>(this), out);
  }
  if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
    return HandOut(static_cast<IConnectionPointContainer*>(this), out);
  }
  if (IsEqualIID(iid, IID_IObjectSafety)) return HandOut(static_cast<IObjectSafety*>(this), out);
  return E_NOINTERFACE;
}

bool RuntimeControl::Implements(REFIID iid) noexcept {
  IUnknown* probe = nullptr;
  if (FAILED(QueryInterface(iid, reinterpret_cast<void**>(&probe)))) return false;
  probe->Release();
  return true;
}

// ---- IDispatch ----

HRESULT RuntimeControl::LoadTypeInfo() noexcept {
  if (dispatchInfo_ && vtableInfo_) return S_OK;
  mervalis::ComPtr<ITypeLib> library;
  HRESULT hr = LoadOwnTypeLibrary(library.put());
  if (FAILED(hr)) return hr;
  mervalis::ComPtr<ITypeInfo> dispatchInfo;
  hr = library->GetTypeInfoOfGuid(IID_IQuorvaneX, dispatchInfo.put());
  if (FAILED(hr)) return hr;
  // A dual interface's type information describes its dispatch side; the
  // vtable side, which DispInvoke needs, is its "implemented type" -1.
  HREFTYPE vtableRef = 0;
  mervalis::ComPtr<ITypeInfo> vtableInfo;
  hr = dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef);
  if (SUCCEEDED(hr)) hr = dispatchInfo->GetRefTypeInfo(vtableRef, vtableInfo.put());
  if (FAILED(hr)) return hr;
  dispatchInfo_ = std::move(dispatchInfo);
  vtableInfo_ = std::move(vtableInfo);
  return S_OK;
}

HRESULT RuntimeControl::GetTypeInfoCount(UINT* count) noexcept {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT RuntimeControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) noexcept {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  const HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  return Give(dispatchInfo_, info);
}

HRESULT RuntimeControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                      DISPID* ids) noexcept {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  return ::DispGetIDsOfNames(vtableInfo_.get(), names, count, ids);
}

HRESULT RuntimeControl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception,
                               UINT* argumentError) noexcept {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const HRESULT hr = LoadTypeInfo();
  if (FAILED(hr)) return hr;
  return ::DispInvoke(static_cast<IQuorvaneX*>(this), vtableInfo_.get(), id, flags, params, result,
                      exception, argumentError);
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
  if (!moniker) return E_POINTER;
  *moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT RuntimeControl::GetClipboardData(DWORD, IDataObject** data) noexcept {
  if (!data) return E_POINTER;
  *data = nullptr;
  return E_NOTIMPL;
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
  if (!verbs) return E_POINTER;
  *verbs = nullptr;
  return OLEOBJ_E_NOVERBS;
}

HRESULT RuntimeControl::GetUserClassID(CLSID* clsid) noexcept { return GetClassID(clsid); }

HRESULT RuntimeControl::GetUserType(DWORD, LPOLESTR* userType) noexcept {
  if (!userType) return E_POINTER;
  *userType = nullptr;
  return OLE_S_USEREG;
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
  if (!colors) return E_POINTER;
  *colors = nullptr;
  return S_FALSE;  // no palette
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

// ---- IProvideClassInfo2 ----

HRESULT RuntimeControl::GetClassInfo(ITypeInfo** info) noexcept {
  if (!info) return E_POINTER;
  *info = nullptr;
  mervalis::ComPtr<ITypeLib> library;
  const HRESULT hr = LoadOwnTypeLibrary(library.put());
  return FAILED(hr) ? hr : library->GetTypeInfoOfGuid(CLSID_QuorvaneX, info);
}

HRESULT RuntimeControl::GetGUID(DWORD kind, GUID* guid) noexcept {
  if (!guid) return E_POINTER;
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID_IQuorvaneXEvents;
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
