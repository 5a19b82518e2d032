// Text of the machine with characters outside the ANSI code page (1252 in the
// test prefix) through the folder and registry wrappers. The wrappers take and
// give UTF-8; the expectations are the same names as UTF-16 literals, written
// and read here with Windows' own wide-character calls, so a wrapper that
// went through the code page (CJK as "?", or UTF-8 bytes taken for 1252
// characters) shows.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/folders_win.h"
#include "common/registry_win.h"
#include "wine/support.h"

namespace {

using wine_test::ReadValueW;
using wine_test::TempFolder;

// The same text twice: as the program holds it (UTF-8; this file is UTF-8)
// and as Windows does. The emoji is a surrogate pair in UTF-16.
struct Text {
  const char* utf8;
  const wchar_t* utf16;
};
constexpr Text kNames[] = {
    {"壁紙テスト", L"壁紙テスト"},
    {"Bild \xF0\x9F\x98\x80 \xC3\xBC", L"Bild \U0001F600 \u00FC"},
    {"Quorvane - Mervalis", L"Quorvane - Mervalis"},
};

constexpr char kScratchKey[] = "Software\\Quorvanesoft Wide Text Test";
constexpr wchar_t kScratchKeyW[] = L"Software\\Quorvanesoft Wide Text Test";

std::wstring TempFolderW() {
  wchar_t buffer[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, buffer);
  return buffer;
}

DWORD AttributesW(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()); }

class WideText : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(mervalis::DeleteKeyTree(HKEY_CURRENT_USER, kScratchKey)); }
  void TearDown() override {
    (void)mervalis::DeleteKeyTree(HKEY_CURRENT_USER, kScratchKey);
    for (const std::wstring& path : made_) {
      ::DeleteFileW(path.c_str());
      ::RemoveDirectoryW(path.c_str());
    }
  }
  // Removed at the end, in reverse order of making.
  void WillRemove(const std::wstring& path) { made_.insert(made_.begin(), path); }
  std::vector<std::wstring> made_;
};

TEST_F(WideText, FoldersAndFilesAreMadeAndFoundUnderTheirOwnNames) {
  for (const Text& name : kNames) {
    SCOPED_TRACE(name.utf8);
    const std::string outer = TempFolder() + "Mervalis wide " + name.utf8;
    const std::wstring outerW = TempFolderW() + L"Mervalis wide " + name.utf16;
    const std::string inner = outer + "\\" + name.utf8;
    const std::wstring innerW = outerW + L"\\" + name.utf16;
    WillRemove(outerW);
    WillRemove(innerW);

    ASSERT_TRUE(mervalis::ForceDirectories(inner + "\\"));
    const DWORD made = AttributesW(innerW);
    ASSERT_NE(made, INVALID_FILE_ATTRIBUTES) << "no folder under the name asked for";
    EXPECT_TRUE(made & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(mervalis::DirectoryExists(inner));
    EXPECT_TRUE(mervalis::ForceDirectories(inner));  // already there

    const std::wstring fileW = innerW + L"\\" + name.utf16 + L".bmp";
    WillRemove(fileW);
    HANDLE file = ::CreateFileW(fileW.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    const std::string path = inner + "\\" + name.utf8 + ".bmp";
    EXPECT_TRUE(mervalis::FileExists(path));
    EXPECT_FALSE(mervalis::DirectoryExists(path));
    EXPECT_FALSE(mervalis::FileExists(inner));
  }
}

TEST_F(WideText, RegistryNamesAndStringsGoThroughWhole) {
  mervalis::RegistryKey key;
  // The listing's names: one of each row, and one of the registry's longest
  // (255 characters), which takes three times as many bytes in UTF-8.
  std::vector<std::string> subkeys;
  for (const Text& name : kNames) subkeys.emplace_back(name.utf8);
  std::string longest;
  for (int i = 0; i < 255; ++i) longest += "紙";
  subkeys.push_back(longest);
  for (const std::string& subkey : subkeys)
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, std::string(kScratchKey) + "\\" + subkey), ERROR_SUCCESS);

  ASSERT_EQ(key.Open(HKEY_CURRENT_USER, kScratchKey), ERROR_SUCCESS);
  for (const Text& name : kNames) {
    SCOPED_TRACE(name.utf8);
    // Written here, read with the wide call.
    const std::string value = std::string("C:\\") + name.utf8 + "\\" + name.utf8 + ".bmp";
    const std::wstring valueW = std::wstring(L"C:\\") + name.utf16 + L"\\" + name.utf16 + L".bmp";
    ASSERT_EQ(key.WriteString(name.utf8, value), ERROR_SUCCESS);
    EXPECT_EQ(ReadValueW(kScratchKeyW, name.utf16), valueW);
    EXPECT_EQ(key.QueryValue(name.utf8), ERROR_SUCCESS);
    std::string read;
    EXPECT_EQ(key.ReadString(name.utf8, read), ERROR_SUCCESS);
    EXPECT_EQ(read, value);

    // Written with the wide call (a path the user's shell stored), read here.
    const std::wstring otherW = std::wstring(L"D:\\") + name.utf16;
    HKEY raw = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kScratchKeyW, 0, KEY_SET_VALUE, &raw), ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(raw, name.utf16, 0, REG_SZ, reinterpret_cast<const BYTE*>(otherW.c_str()),
                               static_cast<DWORD>((otherW.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ::RegCloseKey(raw);
    EXPECT_EQ(key.ReadString(name.utf8, read), ERROR_SUCCESS);
    EXPECT_EQ(read, std::string("D:\\") + name.utf8);

    EXPECT_EQ(key.DeleteValue(name.utf8), ERROR_SUCCESS);
    EXPECT_EQ(ReadValueW(kScratchKeyW, name.utf16), L"<missing>");
  }

  std::vector<std::string> listed;
  EXPECT_EQ(key.EnumSubkeys(listed), ERROR_SUCCESS);
  std::sort(listed.begin(), listed.end());
  std::sort(subkeys.begin(), subkeys.end());
  EXPECT_EQ(listed, subkeys);
  key.Close();
  EXPECT_TRUE(mervalis::KeyExists(HKEY_CURRENT_USER, std::string(kScratchKey) + "\\" + longest));

  EXPECT_TRUE(mervalis::DeleteKeyTree(HKEY_CURRENT_USER, kScratchKey));
  HKEY gone = nullptr;
  EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kScratchKeyW, 0, KEY_READ, &gone), ERROR_FILE_NOT_FOUND);
}

// The user's local application-data folder moved to a folder with such a
// name, as User Shell Folders does it.
TEST_F(WideText, ARedirectedShellFolderIsFoundUnderItsOwnName) {
  constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  constexpr wchar_t kLocalAppData[] = L"Local AppData";
  const std::wstring folderW = TempFolderW() + L"Mervalis wide 壁紙テスト \U0001F600";
  const std::string folder = TempFolder() + "Mervalis wide 壁紙テスト \xF0\x9F\x98\x80";
  ASSERT_TRUE(::CreateDirectoryW(folderW.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
  WillRemove(folderW);

  HKEY raw = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &raw),
            ERROR_SUCCESS);
  std::vector<BYTE> old(4096);
  DWORD oldSize = static_cast<DWORD>(old.size());
  DWORD oldType = 0;
  const bool hadOld = ::RegQueryValueExW(raw, kLocalAppData, nullptr, &oldType, old.data(), &oldSize) == ERROR_SUCCESS;
  ASSERT_EQ(::RegSetValueExW(raw, kLocalAppData, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(folderW.c_str()),
                             static_cast<DWORD>((folderW.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);

  const std::string found = mervalis::GetSpecialFolder(CSIDL_LOCAL_APPDATA);

  if (hadOld) {
    (void)::RegSetValueExW(raw, kLocalAppData, 0, oldType, old.data(), oldSize);
  } else {
    (void)::RegDeleteValueW(raw, kLocalAppData);
  }
  ::RegCloseKey(raw);
  EXPECT_EQ(found, folder);
}

// Letter case by the locale, on UTF-8: letters beyond ASCII change, the rest
// (CJK, a surrogate pair) stays byte for byte.
TEST(WideTextCase, UpperAndLowerCaseKeepTheTextUtf8) {
  struct Row {
    const char* lower;
    const char* upper;
  };
  const Row rows[] = {
      {"quorvane - mervalis.html", "QUORVANE - MERVALIS.HTML"},
      {"\xC3\xA9t\xC3\xA9 \xC3\xBC", "\xC3\x89T\xC3\x89 \xC3\x9C"},  // été ü
      {"c:\\壁紙テスト\\\xF0\x9F\x98\x80 a.bmp", "C:\\壁紙テスト\\\xF0\x9F\x98\x80 A.BMP"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.lower);
    EXPECT_EQ(mervalis::AnsiUpperCase(row.lower), row.upper);
    EXPECT_EQ(mervalis::AnsiLowerCase(row.upper), row.lower);
  }
}

}  // namespace
