// Move-only owners for Windows handles and COM objects, one type per handle
// kind. Each knows its own "no handle" value and how to give the handle back.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

namespace mervalis {

template <typename Traits>
class UniqueResource {
 public:
  using Handle = typename Traits::Handle;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Handle h) noexcept : handle_(h) {}
  UniqueResource(UniqueResource&& other) noexcept : handle_(other.release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;
  ~UniqueResource() { reset(); }

  [[nodiscard]] Handle get() const noexcept { return handle_; }
  [[nodiscard]] bool valid() const noexcept { return handle_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives up ownership without closing.
  [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::invalid()); }
  void reset(Handle h = Traits::invalid()) noexcept {
    Handle old = std::exchange(handle_, h);
    if (old != Traits::invalid()) Traits::close(old);
  }
  // For APIs that fill in a handle through a pointer; closes the old one first.
  [[nodiscard]] Handle* put() noexcept {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::invalid();
};

// The two "no handle" values: what CreateFile and FindFirstFile give on
// failure, and NULL for everything else.
struct InvalidHandleValue {
  using Handle = HANDLE;
  static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
};
template <typename NullableHandle>
struct NullHandle {
  using Handle = NullableHandle;
  static Handle invalid() noexcept { return nullptr; }
};

// How each kind is given back.
struct FileHandleTraits : InvalidHandleValue {
  static void close(Handle h) noexcept { ::CloseHandle(h); }
};
struct KernelHandleTraits : NullHandle<HANDLE> {  // mutexes, processes, threads, events
  static void close(Handle h) noexcept { ::CloseHandle(h); }
};
struct RegKeyTraits : NullHandle<HKEY> {
  static void close(Handle h) noexcept { ::RegCloseKey(h); }
};
struct ModuleTraits : NullHandle<HMODULE> {
  static void close(Handle h) noexcept { ::FreeLibrary(h); }
};
// GDI objects, typed by kind so that a font cannot stand where a bitmap is
// expected. DeleteObject must not see an object still selected into a device
// context: select through SelectedObject, declared after the owner.
template <typename GdiHandle>
struct GdiObjectTraits : NullHandle<GdiHandle> {
  static void close(GdiHandle h) noexcept { ::DeleteObject(h); }
};
struct MemoryDcTraits : NullHandle<HDC> {
  static void close(Handle h) noexcept { ::DeleteDC(h); }
};
struct FindHandleTraits : InvalidHandleValue {
  static void close(Handle h) noexcept { ::FindClose(h); }
};
struct WindowTraits : NullHandle<HWND> {
  static void close(Handle h) noexcept { ::DestroyWindow(h); }
};
struct LocalMemoryTraits : NullHandle<HLOCAL> {  // what the system allocated for us with LocalAlloc
  static void close(Handle h) noexcept { ::LocalFree(h); }
};

// A WinEvent hook (SetWinEventHook).
struct WinEventHookTraits : NullHandle<HWINEVENTHOOK> {
  static void close(Handle h) noexcept { ::UnhookWinEvent(h); }
};
// Functions of Windows versions newer than XP, looked up when a handle of
// theirs is given back: the program still loads on XP, where no such
// handle is ever made.
template <typename F>
F LateFunction(const char* module, const char* name) noexcept {
  HMODULE m = ::GetModuleHandleA(module);
  return m ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(m, name))) : nullptr;
}
// A power setting's notifications (RegisterPowerSettingNotification, Vista and later).
struct PowerNotificationTraits : NullHandle<HANDLE> {
  static void close(Handle h) noexcept {
    using Unregister = BOOL(WINAPI*)(HANDLE);
    if (const auto f = LateFunction<Unregister>("user32.dll", "UnregisterPowerSettingNotification")) f(h);
  }
};
// A window registered for the session's notifications (WTSRegisterSessionNotification,
// XP and later, from wtsapi32.dll, which whoever registered keeps loaded).
struct SessionNotificationTraits : NullHandle<HWND> {
  static void close(Handle h) noexcept {
    using Unregister = BOOL(WINAPI*)(HWND);
    if (const auto f = LateFunction<Unregister>("wtsapi32.dll", "WTSUnRegisterSessionNotification")) f(h);
  }
};

using UniqueFile = UniqueResource<FileHandleTraits>;
using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueHkey = UniqueResource<RegKeyTraits>;
using UniqueModule = UniqueResource<ModuleTraits>;
using UniqueFont = UniqueResource<GdiObjectTraits<HFONT>>;
using UniqueBitmap = UniqueResource<GdiObjectTraits<HBITMAP>>;
using UniqueBrush = UniqueResource<GdiObjectTraits<HBRUSH>>;
// A GDI object of a kind only known at run time (LoadImage's result).
using UniqueGdiObject = UniqueResource<GdiObjectTraits<HGDIOBJ>>;
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;
using UniqueFind = UniqueResource<FindHandleTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using UniqueLocal = UniqueResource<LocalMemoryTraits>;
using UniqueWinEventHook = UniqueResource<WinEventHookTraits>;
using UniquePowerNotification = UniqueResource<PowerNotificationTraits>;
using UniqueSessionNotification = UniqueResource<SessionNotificationTraits>;

// A device context borrowed from a window with GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::GetDC(hwnd)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
  }
  [[nodiscard]] HDC get() const noexcept { return dc_; }
  explicit operator bool() const noexcept { return dc_ != nullptr; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// An object selected into a device context for the guard's lifetime; the one
// it replaced is selected again at the end.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(::SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// One WM_PAINT's drawing: BeginPaint when made, EndPaint at the end.
class PaintSession {
 public:
  explicit PaintSession(HWND hwnd) noexcept : hwnd_(hwnd), dc_(::BeginPaint(hwnd, &paint_)) {}
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;
  ~PaintSession() { ::EndPaint(hwnd_, &paint_); }
  [[nodiscard]] HDC dc() const noexcept { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_ = {};
  HDC dc_;
};

// Owner of one COM interface pointer.
template <typename T>
class ComPtr {
 public:
  ComPtr() noexcept = default;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  void reset() noexcept {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  [[nodiscard]] T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  // For CoCreateInstance and QueryInterface; releases the old pointer first.
  [[nodiscard]] void** put_void() noexcept {
    reset();
    return reinterpret_cast<void**>(&p_);
  }
  [[nodiscard]] T** put() noexcept {
    reset();
    return &p_;
  }

  template <typename U>
  [[nodiscard]] HRESULT As(REFIID iid, ComPtr<U>& out) const noexcept {
    return p_ ? p_->QueryInterface(iid, out.put_void()) : E_POINTER;
  }

 private:
  T* p_ = nullptr;
};

// CoInitialize for the lifetime of the guard; CoUninitialize only when the
// initialisation succeeded (S_FALSE, "already initialised", counts as success).
class ComInit {
 public:
  ComInit() noexcept : hr_(::CoInitialize(nullptr)) {}
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;
  ~ComInit() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  [[nodiscard]] bool ok() const noexcept { return SUCCEEDED(hr_); }
  [[nodiscard]] HRESULT result() const noexcept { return hr_; }

 private:
  HRESULT hr_;
};

}  // namespace mervalis
