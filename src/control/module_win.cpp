// The DLL itself: its entry point, its use count, its class factory and the
// four exports of a self-registering in-process server.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <new>

#include "control/com_object.h"
#include "control/control_ids.h"
#include "control/registration_win.h"
#include "control/runtime_control_win.h"

namespace quorvanex {

namespace {

HINSTANCE g_instance = nullptr;
LONG g_users = 0;  // live objects + server locks

class ClassFactory final : public ComObject<IClassFactory> {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      return HandOut(static_cast<IClassFactory*>(this), out);
    }
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid,
                                           void** out) noexcept override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateRuntimeControl(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) noexcept override {
    if (lock) {
      ModuleAddRef();
    } else {
      ModuleRelease();
    }
    return S_OK;
  }
};

}  // namespace

void ModuleAddRef() noexcept { ::InterlockedIncrement(&g_users); }
void ModuleRelease() noexcept { ::InterlockedDecrement(&g_users); }
bool ModuleInUse() noexcept { return ::InterlockedCompareExchange(&g_users, 0, 0) != 0; }
HINSTANCE ModuleInstance() noexcept { return g_instance; }

HRESULT LoadOwnTypeLibrary(ITypeLib** library) noexcept {
  if (!library) return E_POINTER;
  *library = nullptr;
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(g_instance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TYPE_E_CANTLOADLIBRARY;
  return ::LoadTypeLibEx(path, REGKIND_NONE, library);
}

}  // namespace quorvanex

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    quorvanex::g_instance = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, quorvanex::CLSID_QuorvaneX)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) quorvanex::ClassFactory();
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, out);
  factory->Release();
  return hr;
}

STDAPI DllCanUnloadNow() { return quorvanex::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() { return quorvanex::RegisterServer(); }

STDAPI DllUnregisterServer() { return quorvanex::UnregisterServer(); }
