// Plain COM without ATL: the DLL's count of live objects and server locks and
// a reference-counting base for its objects. The control is built without C++
// exceptions (control.cmake), so none can leave a COM method: running out of
// memory ends the process (lean_runtime_win.cpp).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oaidl.h>

#include "common/win_handles.h"

namespace quorvanex {

// Live objects plus IClassFactory::LockServer locks of this DLL.
// DllCanUnloadNow says yes only when the count is zero.
void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;
[[nodiscard]] bool ModuleInUse() noexcept;

// The DLL's own module handle (set by DllMain).
[[nodiscard]] HINSTANCE ModuleInstance() noexcept;

// The type library carried in the DLL (resource TYPELIB 1), loaded without
// registering it, so that the control works whether or not it is registered.
[[nodiscard]] HRESULT LoadOwnTypeLibrary(ITypeLib** library) noexcept;

// Hands an interface of an object to a caller's out-pointer, with the
// reference that the caller now owns.
template <typename Interface>
HRESULT HandOut(Interface* object, void** out) noexcept {
  object->AddRef();
  *out = object;
  return S_OK;
}

// Stores `object` in `holder` with a reference of its own (or empties it).
template <typename T>
void Hold(mervalis::ComPtr<T>& holder, T* object) noexcept {
  if (object) object->AddRef();
  holder.reset();
  if (object) *holder.put() = object;
}

// Gives the caller the held object with a reference of its own (null when
// none is held).
template <typename T>
HRESULT Give(const mervalis::ComPtr<T>& holder, T** out) noexcept {
  if (!out) return E_POINTER;
  *out = holder.get();
  if (*out) (*out)->AddRef();
  return S_OK;
}

// Answers a request for an object that the control does not have: the
// caller's pointer emptied, and `result`.
template <typename T>
HRESULT NoneToGive(T** out, HRESULT result) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  return result;
}

// Base of the DLL's heap objects. The object starts with one reference, owned
// by whoever created it, and deletes itself when the last one goes. One
// AddRef/Release serves every interface in the list; the derived class writes
// QueryInterface. Each object keeps the DLL loaded while it lives.
template <typename... Interfaces>
class ComObject : public Interfaces... {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  ULONG STDMETHODCALLTYPE AddRef() noexcept override {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() noexcept override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  ComObject() noexcept { ModuleAddRef(); }
  virtual ~ComObject() { ModuleRelease(); }

 private:
  LONG references_ = 1;
};

}  // namespace quorvanex
