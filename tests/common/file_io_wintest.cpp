// Whole files read and written, and a file replaced only by a complete new
// one: what each helper leaves on disk when it succeeds and when it fails.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "common/file_io_win.h"
#include "wine/support.h"

namespace {

using mervalis::ReplacingFile;
using mervalis::WriteResult;
using wine_test::ReadFileBytes;
using wine_test::WriteFileBytes;

BOOL WINAPI CloseThenFail(HANDLE handle) {
  ::CloseHandle(handle);
  return FALSE;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class FileIo : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "mervalis file io\\";
    ::CreateDirectoryA(folder_.c_str(), nullptr);
    path_ = folder_ + "target.bin";
    Clear();
  }
  void TearDown() override {
    mervalis::SetCloseHandleForTesting(nullptr);
    Clear();
    ::RemoveDirectoryA(folder_.c_str());
  }
  void Clear() {
    for (const std::string& name : wine_test::FolderListing(folder_)) {
      const std::string file = folder_ + name;
      ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileA(file.c_str());
      ::RemoveDirectoryA(file.c_str());
    }
  }

  // A temporary file with `bytes`, closed and ready to take the place of the target.
  static bool WriteNew(ReplacingFile& file, const std::string& bytes) {
    return file.Created() && mervalis::WriteAll(file.handle(), bytes) && file.Close();
  }
  // `path_` holds `content`, with nothing beside it.
  void ExpectAlone(const std::string& content) const {
    EXPECT_EQ(ReadFileBytes(path_), content);
    EXPECT_EQ(wine_test::FolderListing(folder_), std::vector<std::string>{"target.bin"});
  }
  std::string folder_;
  std::string path_;
};

TEST_F(FileIo, ReplacingFileTakesThePlaceOfTheOldFileOnlyWhenComplete) {
  ASSERT_TRUE(WriteFileBytes(path_, "the old content, longer than the new"));
  ASSERT_TRUE(WriteFileBytes(path_ + ".tmp", "a leftover of an interrupted run, also longer"));
  // Leftovers of runs that found "<name>.tmp" held, and a file that only looks alike.
  ASSERT_TRUE(WriteFileBytes(path_ + ".4242-1.tmp", "left by run 4242"));
  ASSERT_TRUE(WriteFileBytes(path_ + ".17-8.tmp", "left by run 17"));
  ASSERT_TRUE(WriteFileBytes(path_ + ".backup-1.tmp", "not ours"));
  ReplacingFile file(path_);
  ASSERT_TRUE(file.Created());
  EXPECT_EQ(file.temporaryPath(), path_ + ".tmp");
  ASSERT_TRUE(mervalis::WriteAll(file.handle(), "new"));
  EXPECT_EQ(ReadFileBytes(path_), "the old content, longer than the new");
  ASSERT_TRUE(file.Close());
  ASSERT_TRUE(file.Replace());
  EXPECT_EQ(ReadFileBytes(path_), "new");
  EXPECT_EQ(wine_test::FolderListing(folder_), (std::vector<std::string>{"target.bin", "target.bin.backup-1.tmp"}));
}

TEST_F(FileIo, AReadOnlyOrHeldOldFileIsLeftAsItWas) {
  ASSERT_TRUE(WriteFileBytes(path_, "read-only"));
  ASSERT_TRUE(::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  {
    ReplacingFile file(path_);
    ASSERT_TRUE(WriteNew(file, "new"));
    // Windows refuses to rename a file onto a read-only one; so must this.
    const bool replaced = file.Replace();
    ::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(replaced);
    ExpectAlone("read-only");
  }

  // Open in another program that shares neither writing nor deleting.
  ASSERT_TRUE(WriteFileBytes(path_, "held"));
  HANDLE other = ::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  ReplacingFile file(path_);
  ASSERT_TRUE(WriteNew(file, "new"));
  EXPECT_FALSE(file.Replace());
  ::CloseHandle(other);
  ExpectAlone("held");
}

TEST_F(FileIo, ReplacingAFolderFailsAndTheTemporaryFileGoes) {
  ASSERT_TRUE(::CreateDirectoryA(path_.c_str(), nullptr));
  ReplacingFile file(path_);
  ASSERT_TRUE(file.Created());
  ASSERT_TRUE(mervalis::WriteAll(file.handle(), "new"));
  ASSERT_TRUE(file.Close());
  EXPECT_FALSE(file.Replace());
  EXPECT_FALSE(Exists(path_ + ".tmp"));
  EXPECT_TRUE(::GetFileAttributesA(path_.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(FileIo, AFailedCloseIsAFailedWriteAndDiscardLeavesTheOldFile) {
  ASSERT_TRUE(WriteFileBytes(path_, "old"));
  mervalis::SetCloseHandleForTesting(&CloseThenFail);
  ReplacingFile file(path_);
  ASSERT_TRUE(file.Created());
  ASSERT_TRUE(mervalis::WriteAll(file.handle(), "new"));
  EXPECT_FALSE(file.Close());
  file.Discard();
  EXPECT_FALSE(Exists(path_ + ".tmp"));
  EXPECT_EQ(ReadFileBytes(path_), "old");
  // The whole-file write says which step failed.
  EXPECT_EQ(mervalis::WriteWholeFile(path_, "new"), WriteResult::kNotWritten);
  EXPECT_EQ(mervalis::WriteWholeFile(folder_ + "no such folder\\file.bin", "new"), WriteResult::kNotCreated);
}

TEST_F(FileIo, WholeFileWrittenOverALongerOneAndReadWhileOthersHoldItOpen) {
  ASSERT_TRUE(WriteFileBytes(path_, std::string(3000, 'x')));
  // More than one write call's share, so that the parts must follow each other.
  std::string bytes(1536 * 1024 + 7, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 % 251);
  ASSERT_EQ(mervalis::WriteWholeFile(path_, bytes), WriteResult::kWritten);
  EXPECT_TRUE(ReadFileBytes(path_) == bytes);

  // A running program's own image: open for reading and writing by another.
  HANDLE other = ::CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  std::string read = "whatever was there";
  EXPECT_TRUE(mervalis::ReadWholeFile(path_, read));
  ::CloseHandle(other);
  EXPECT_TRUE(read == bytes);
  EXPECT_FALSE(mervalis::ReadWholeFile(folder_ + "missing.bin", read));
  EXPECT_EQ(read, "");
}

}  // namespace
