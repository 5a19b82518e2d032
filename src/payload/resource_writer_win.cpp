#include "payload/resource_writer_win.h"

#include <string>

#include "common/application_win.h"

namespace mervalis {

namespace {

constexpr char kRestart[] = "\n\nPlease restart your computer then run this program again.";

CloseHandleFunction g_closeHandle = &::CloseHandle;

bool Fail(const std::string& reason, int id, std::string_view path) {
  ShowMessage(reason + kRestart + "\n\nResource ID: " + std::to_string(id) + "\nFileName: " + std::string(path),
              MB_OK | MB_ICONSTOP);
  return false;
}

// Replaces the file at `path` by the bytes; the reason of a failure, or null.
// The file is closed when it returns.
const char* WriteNewFile(const std::string& path, const void* bytes, DWORD size) {
  ::DeleteFileA(path.c_str());
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file) return "File could not be opened or created!";
  DWORD written = 0;
  const bool whole = ::WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
  const bool closed = CloseWrittenFile(file);
  return whole && closed ? nullptr : "File could not be fully written!";
}

}  // namespace

bool CloseWrittenFile(UniqueFile& file) noexcept {
  if (!file) return false;
  return g_closeHandle(file.release()) != FALSE;
}

CloseHandleFunction SetCloseHandleForTesting(CloseHandleFunction function) noexcept {
  const CloseHandleFunction previous = g_closeHandle;
  g_closeHandle = function ? function : &::CloseHandle;
  return previous;
}

bool WriteResourceFile(int id, std::string_view path) {
  return WriteResourceFile(::GetModuleHandleA(nullptr), id, path);
}

bool WriteResourceFile(HMODULE module, int id, std::string_view path) {
  HRSRC item = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!item) return Fail("Resource not found!", id, path);
  const DWORD size = ::SizeofResource(module, item);
  if (size == 0) return Fail("Resource has no size!", id, path);
  HGLOBAL loaded = ::LoadResource(module, item);
  if (!loaded) return Fail("Resource could not be loaded", id, path);
  const void* bytes = ::LockResource(loaded);
  if (!bytes) return Fail("Resource could not be locked", id, path);

  if (const char* reason = WriteNewFile(std::string(path), bytes, size)) return Fail(reason, id, path);
  return true;
}

}  // namespace mervalis
