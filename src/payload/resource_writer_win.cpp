#include "payload/resource_writer_win.h"

#include <windows.h>

#include <string>

#include "common/application_win.h"
#include "common/win_handles.h"

namespace mervalis {

namespace {

constexpr char kRestart[] = "\n\nPlease restart your computer then run this program again.";

bool Fail(const std::string& reason, int id, std::string_view path) {
  ShowMessage(reason + kRestart + "\n\nResource ID: " + std::to_string(id) + "\nFileName: " + std::string(path),
              MB_OK | MB_ICONSTOP);
  return false;
}

}  // namespace

bool WriteResourceFile(int id, std::string_view path) {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC item = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (!item) return Fail("Resource not found!", id, path);
  const DWORD size = ::SizeofResource(module, item);
  if (size == 0) return Fail("Resource has no size!", id, path);
  HGLOBAL loaded = ::LoadResource(module, item);
  if (!loaded) return Fail("Resource could not be loaded", id, path);
  const void* bytes = ::LockResource(loaded);
  if (!bytes) return Fail("Resource could not be locked", id, path);

  const std::string target(path);
  ::DeleteFileA(target.c_str());
  UniqueFile file(::CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return Fail("File could not be opened or created!", id, path);
  DWORD written = 0;
  if (!::WriteFile(file.get(), bytes, size, &written, nullptr) || written != size) {
    return Fail("File could not be fully written!", id, path);
  }
  return true;
}

}  // namespace mervalis
