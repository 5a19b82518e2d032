// The shipped files stay small: the program carries everything it installs,
// the control among it, and is downloaded whole. Not at the cost of the
// system's protections: both keep their relocations, so that they load at a
// random address, and are marked for no-execute data.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "wine/support.h"

namespace {

// -1 when the file cannot be read.
std::int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// What the file's PE header says of the protections.
struct Protections {
  bool read = false;
  bool relocations = false;  // not stripped, and a relocation table present
  bool randomBase = false;   // IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE
  bool noExecuteData = false;  // IMAGE_DLLCHARACTERISTICS_NX_COMPAT
};

Protections ReadProtections(const std::string& path) {
  const std::string file = wine_test::ReadFileBytes(path);
  Protections p;
  IMAGE_DOS_HEADER dos{};
  if (file.size() < sizeof dos) return p;
  std::memcpy(&dos, file.data(), sizeof dos);
  IMAGE_NT_HEADERS32 nt{};
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < 0 ||
      file.size() < static_cast<std::size_t>(dos.e_lfanew) + sizeof nt) {
    return p;
  }
  std::memcpy(&nt, file.data() + dos.e_lfanew, sizeof nt);
  if (nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) return p;
  p.read = true;
  const IMAGE_DATA_DIRECTORY& table = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  p.relocations = (nt.FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED) == 0 &&
                  nt.OptionalHeader.NumberOfRvaAndSizes > IMAGE_DIRECTORY_ENTRY_BASERELOC &&
                  table.VirtualAddress != 0 && table.Size != 0;
  p.randomBase = (nt.OptionalHeader.DllCharacteristics & 0x0040) != 0;
  p.noExecuteData = (nt.OptionalHeader.DllCharacteristics & 0x0100) != 0;
  return p;
}

TEST(ShippedSize, SmallnessKeepsRandomBaseAndNoExecuteData) {
  for (const char* name : {"Mervalis.exe", "quorvanexrun.ocx"}) {
    SCOPED_TRACE(name);
    const Protections p = ReadProtections(wine_test::BinFolder() + name);
    ASSERT_TRUE(p.read);
    EXPECT_TRUE(p.relocations);
    EXPECT_TRUE(p.randomBase);
    EXPECT_TRUE(p.noExecuteData);
  }
}

TEST(ShippedSize, ProgramWithItsPayloadIsAtMostOneAndAQuarterMebibytes) {
  const std::int64_t size = FileSize(wine_test::BinFolder() + "Mervalis.exe");
  ASSERT_GT(size, 0);
  EXPECT_LE(size, 1310720);
}

TEST(ShippedSize, RuntimeControlIsAtMost64Kibibytes) {
  const std::int64_t size = FileSize(wine_test::BinFolder() + "quorvanexrun.ocx");
  ASSERT_GT(size, 0);
  EXPECT_LE(size, 65536);
}

}  // namespace
