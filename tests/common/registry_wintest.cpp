#include "common/registry_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr char kScratch[] = "Software\\Quorvanesoft Registry Test";

class RegistryKeyTest : public testing::Test {
 protected:
  // Left over from an interrupted run, the key would hide what is written.
  void SetUp() override { ASSERT_TRUE(mervalis::DeleteKeyTree(HKEY_CURRENT_USER, kScratch)); }
  void TearDown() override { (void)mervalis::DeleteKeyTree(HKEY_CURRENT_USER, kScratch); }
};

TEST_F(RegistryKeyTest, StringsAndDwordsKeepTheirTypeAndLength) {
  mervalis::RegistryKey key;
  EXPECT_EQ(key.Open(HKEY_CURRENT_USER, kScratch), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(key.Create(HKEY_CURRENT_USER, kScratch), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteString("Text", "abc"), ERROR_SUCCESS);
  ASSERT_EQ(key.WriteDword("Number", 0x12345678), ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  // Raw calls on the key the object holds: what the registry got.
  const HKEY raw = key.get();
  ASSERT_EQ(::RegQueryValueExA(raw, "Text", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 4u);  // with the terminating zero
  ASSERT_EQ(::RegQueryValueExA(raw, "Number", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(size, 4u);

  // A path written with an environment name, as Windows writes some
  // wallpaper values, is read as the path it stands for.
  const wchar_t expandable[] = L"%SystemRoot%\\Web\\Wallpaper\\x.jpg";
  ASSERT_EQ(::RegSetValueExW(raw, L"Expandable", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expandable),
                             sizeof(expandable)),
            ERROR_SUCCESS);
  char windows[MAX_PATH] = {};
  ASSERT_GT(::GetWindowsDirectoryA(windows, MAX_PATH), 0u);

  std::string text;
  EXPECT_EQ(key.ReadString("Expandable", text), ERROR_SUCCESS);
  EXPECT_EQ(text, std::string(windows) + "\\Web\\Wallpaper\\x.jpg");
  EXPECT_EQ(key.ReadString("Text", text), ERROR_SUCCESS);
  EXPECT_EQ(text, "abc");
  DWORD number = 7;
  EXPECT_EQ(key.ReadDword("Number", number), ERROR_SUCCESS);
  EXPECT_EQ(number, 0x12345678u);
  number = 7;
  EXPECT_EQ(key.ReadDword("Missing", number), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key.ReadDword("Text", number), ERROR_INVALID_DATATYPE);
  EXPECT_EQ(number, 7u);  // unchanged on failure
  // A missing value is missing, not an empty text.
  text = "kept?";
  EXPECT_EQ(key.ReadString("Missing", text), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(text, "");
  DWORD type2 = 0;
  EXPECT_EQ(key.QueryValue("Number", &type2), ERROR_SUCCESS);
  EXPECT_EQ(type2, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(key.QueryValue("Missing"), ERROR_FILE_NOT_FOUND);

  // A key handed over: the object closes it; one given up is the caller's.
  const HKEY given = key.Detach();
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.ReadString("Text", text), ERROR_INVALID_HANDLE);
  key.Attach(given);
  EXPECT_EQ(key.ReadString("Text", text), ERROR_SUCCESS);
}

TEST_F(RegistryKeyTest, EnumeratesSubkeysAndDeletesTheWholeTree) {
  const std::string scratch = kScratch;
  mervalis::RegistryKey writer;
  for (const char* sub : {"\\Alpha", "\\Beta\\Inner\\Deepest", "\\Gamma"}) {
    ASSERT_EQ(writer.Create(HKEY_CURRENT_USER, scratch + sub), ERROR_SUCCESS);
    ASSERT_EQ(writer.WriteString("", "x"), ERROR_SUCCESS);
  }
  writer.Close();

  mervalis::RegistryKey reader;
  ASSERT_EQ(reader.Open(HKEY_CURRENT_USER, kScratch, KEY_READ), ERROR_SUCCESS);
  std::vector<std::string> names = {"kept"};
  EXPECT_EQ(reader.EnumSubkeys(names), ERROR_SUCCESS);
  EXPECT_EQ(names, (std::vector<std::string>{"kept", "Alpha", "Beta", "Gamma"}));
  reader.Close();

  EXPECT_TRUE(mervalis::DeleteKeyTree(HKEY_CURRENT_USER, kScratch));
  EXPECT_FALSE(mervalis::KeyExists(HKEY_CURRENT_USER, kScratch));
  EXPECT_TRUE(mervalis::DeleteKeyTree(HKEY_CURRENT_USER, kScratch));  // a missing key is gone
}

}  // namespace
