// The program file itself: it needs no DLL beyond Windows' own, and carries
// its version, icon and manifest.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "wine/support.h"

namespace {

// The DLLs a 32-bit program may import and still run on a bare Windows XP.
const std::set<std::string> kWindowsDlls = {"kernel32.dll", "user32.dll",  "gdi32.dll",   "advapi32.dll",
                                            "shell32.dll",  "ole32.dll",   "oleaut32.dll", "comctl32.dll",
                                            "msvcrt.dll",   "shlwapi.dll", "version.dll"};

// The names in a PE file's import table, lower-cased.
std::set<std::string> ImportedDlls(const std::string& file) {
  std::set<std::string> names;
  if (file.size() < sizeof(IMAGE_DOS_HEADER)) return names;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
  if (dos->e_magic != IMAGE_DOS_SIGNATURE || static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > file.size()) {
    return names;
  }
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(file.data() + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const auto* sections = IMAGE_FIRST_SECTION(nt);
  const auto toOffset = [&](DWORD rva) -> size_t {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const auto& s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData)) {
        return rva - s.VirtualAddress + s.PointerToRawData;
      }
    }
    return 0;
  };
  size_t at = toOffset(imports.VirtualAddress);
  while (at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= file.size()) {
    const auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(file.data() + at);
    if (d->Name == 0) break;
    const size_t name = toOffset(d->Name);
    if (!name || name >= file.size()) break;
    std::string dll(file.data() + name, strnlen(file.data() + name, file.size() - name));
    std::transform(dll.begin(), dll.end(), dll.begin(), [](unsigned char c) { return static_cast<char>(::tolower(c)); });
    names.insert(dll);
    at += sizeof(IMAGE_IMPORT_DESCRIPTOR);
  }
  return names;
}

TEST(ProgramFile, ImportsOnlyWindowsOwnDlls) {
  for (const std::string& binary : {wine_test::ProgramPath(), wine_test::BinFolder() + "quorvanexrun.ocx"}) {
    const auto dlls = ImportedDlls(wine_test::ReadFileBytes(binary));
    EXPECT_TRUE(dlls.count("kernel32.dll")) << binary;  // the table was read at all
    for (const auto& dll : dlls) EXPECT_TRUE(kWindowsDlls.count(dll)) << binary << " imports " << dll;
  }
}

TEST(ProgramFile, CarriesItsVersionAndIcon) {
  std::string path = wine_test::ProgramPath();
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(::GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  char* description = nullptr;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\StringFileInfo\\040904E4\\FileDescription",
                               reinterpret_cast<void**>(&description), &length));
  EXPECT_STREQ(description, "Mervalis Animated Wallpaper");

  HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  // The icon group holds a 32 x 32 picture of 256 colours.
  HRSRC group = ::FindResourceA(module, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
  ASSERT_NE(group, nullptr);
  const auto* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(module, group)));
  ASSERT_NE(dir, nullptr);
  const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
  bool has32x256 = false;
  for (WORD i = 0; i < count; ++i) {
    const BYTE* entry = dir + 6 + 14 * i;  // width, height, colours, reserved, planes, bits, bytes, id
    const WORD bits = *reinterpret_cast<const WORD*>(entry + 6);
    has32x256 |= entry[0] == 32 && entry[1] == 32 && bits == 8;
  }
  EXPECT_TRUE(has32x256);
  HICON icon = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32, 0));
  EXPECT_NE(icon, nullptr);
  if (icon) ::DestroyIcon(icon);
  ::FreeLibrary(module);
}

// The manifest says which Windows versions the program knows (Windows 8 and
// later let it make layered child windows only then) and asks for nothing
// else: no execution level, which would change elevation and the
// virtualisation of files and registry.
TEST(ProgramFile, ManifestDeclaresTheSupportedWindowsVersionsAndTheInvokersRights) {
  HMODULE module = ::LoadLibraryExA(wine_test::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  // RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID: the one a program starts with.
  HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
  ASSERT_NE(bytes, nullptr);
  std::string text(bytes, ::SizeofResource(module, found));
  ::FreeLibrary(module);
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(::tolower(c)); });

  EXPECT_NE(text.find("urn:schemas-microsoft-com:compatibility.v1"), std::string::npos);
  for (const char* os : {"{e2011457-1546-43c5-a5fe-008deee3d3f0}",    // Vista
                         "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",    // 7
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",    // 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",    // 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {  // 10 and 11
    EXPECT_NE(text.find(std::string("<supportedos id=\"") + os + "\"/>"), std::string::npos) << os;
  }
  // The invoker's rights: Windows neither virtualises the program's writes
  // nor takes it for an installer that wants an administrator.
  EXPECT_NE(text.find("<trustinfo xmlns=\"urn:schemas-microsoft-com:asm.v2\">"), std::string::npos);
  EXPECT_NE(text.find("<requestedexecutionlevel level=\"asinvoker\" uiaccess=\"false\"/>"), std::string::npos);
  EXPECT_EQ(text.find("dependentassembly"), std::string::npos);
}

}  // namespace
