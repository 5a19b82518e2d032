// The runtime control's type information: IDispatch, whose one interface
// has no members, and IProvideClassInfo2, both from the type library that the
// control carries.
#include "control/runtime_control_win.h"

namespace quorvanex {

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

}  // namespace quorvanex
