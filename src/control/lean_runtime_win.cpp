// The runtime control is built without C++ exceptions (control.cmake): a
// control that the shell loads has to stay small, and the exception
// machinery (the unwinder and its tables) would be half of it. What the C++
// library would otherwise bring in for them is replaced here, linked
// straight into the control so that these take the place of the library's:
//
// - the allocation functions: the control's strings fail only for lack of
//   memory, which ends the process at once; the allocations that can fail
//   softly (the COM objects, with std::nothrow) still return null;
// - the library's failure reports, which end the process likewise instead
//   of building std::logic_error and its kin (whose strings bring in the
//   library's whole string and random-device code);
// - the wide-string formatting behind std::to_wstring, handed to the
//   system's C library instead of MinGW's own complete printf (the control
//   formats a few integers).
#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <new>

extern "C" int __cdecl _vsnwprintf(wchar_t* buffer, std::size_t count, const wchar_t* format,
                                   va_list arguments);

extern "C" int __cdecl __mingw_vsnwprintf(wchar_t* buffer, std::size_t count,
                                          const wchar_t* format, va_list arguments) {
  return _vsnwprintf(buffer, count, format, arguments);
}

void* operator new(std::size_t size) {
  if (void* block = std::malloc(size ? size : 1)) return block;
  std::abort();
}
void* operator new[](std::size_t size) { return ::operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size ? size : 1);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace std {

[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }

}  // namespace std
