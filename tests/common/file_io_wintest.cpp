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
  // One run of a file rebuilt as the background is: over the spare, then in place.
  bool Rebuild(const std::string& bytes) const {
    ReplacingFile file(path_, 0, ReplacingFile::Start::kReuseSpare);
    return WriteNew(file, bytes) && file.Replace();
  }

  std::string folder_;
  std::string path_;
};

TEST_F(FileIo, ReplacingFileTakesThePlaceOfTheOldFileOnlyWhenComplete) {
  ASSERT_TRUE(WriteFileBytes(path_, "the old content, longer than the new"));
  ASSERT_TRUE(WriteFileBytes(path_ + ".tmp", "a leftover of an interrupted run, also longer"));
  ReplacingFile file(path_);
  ASSERT_TRUE(file.Created());
  EXPECT_EQ(file.temporaryPath(), path_ + ".tmp");
  ASSERT_TRUE(mervalis::WriteAll(file.handle(), "new"));
  EXPECT_EQ(ReadFileBytes(path_), "the old content, longer than the new");
  ASSERT_TRUE(file.Close());
  ASSERT_TRUE(file.Replace());
  EXPECT_EQ(ReadFileBytes(path_), "new");
  EXPECT_FALSE(Exists(path_ + ".tmp"));
}

// A file built afresh by every run goes in by one rename, and the file it
// replaces stays beside it as the next run's spare.
TEST_F(FileIo, ARebuiltFileKeepsTheOldOneAsTheNextRunsSpare) {
  // A leftover of an earlier run that stopped between making the spare and
  // the rename: a second name of the current file, not to be written over.
  ASSERT_TRUE(WriteFileBytes(path_, "the old content"));
  ASSERT_TRUE(::CreateHardLinkA((path_ + ".old").c_str(), path_.c_str(), nullptr));
  {
    ReplacingFile file(path_, 0, ReplacingFile::Start::kReuseSpare);
    ASSERT_TRUE(WriteNew(file, "new"));
    EXPECT_EQ(ReadFileBytes(path_), "the old content");
    ASSERT_TRUE(file.Replace());
  }
  EXPECT_EQ(ReadFileBytes(path_), "new");
  EXPECT_EQ(ReadFileBytes(path_ + ".old"), "the old content");
  EXPECT_FALSE(Exists(path_ + ".tmp"));

  // No old file at all: nothing to keep.
  ASSERT_TRUE(::DeleteFileA(path_.c_str()));
  ASSERT_TRUE(::DeleteFileA((path_ + ".old").c_str()));
  ASSERT_TRUE(Rebuild("first"));
  ExpectAlone("first");
}

// Written over in place, the spare must come out exactly as a new file would:
// no byte of its old content past the new end, whatever it was before.
TEST_F(FileIo, ASpareWrittenOverHoldsExactlyTheNewContent) {
  ASSERT_TRUE(WriteFileBytes(path_, "the current content"));
  ASSERT_TRUE(WriteFileBytes(path_ + ".old", "the spare, longer than anything written below"));
  ASSERT_TRUE(::SetFileAttributesA((path_ + ".old").c_str(), FILE_ATTRIBUTE_READONLY));
  for (const std::string content : {"shorter", "a content of another length", "new"}) {
    ReplacingFile file(path_, 0, ReplacingFile::Start::kReuseSpare);
    ASSERT_TRUE(file.Created()) << content;
    EXPECT_FALSE(Exists(path_ + ".old")) << "the spare became the temporary file";
    const std::string before = ReadFileBytes(path_);
    ASSERT_TRUE(WriteNew(file, content));
    EXPECT_EQ(ReadFileBytes(path_), before) << "replaced before the caller said so";
    ASSERT_TRUE(file.Replace());
    EXPECT_EQ(ReadFileBytes(path_), content);
    EXPECT_EQ(ReadFileBytes(path_ + ".old"), before);
    EXPECT_FALSE(Exists(path_ + ".tmp"));
  }

  // A leftover temporary file is written over first; the spare is then
  // replaced by the old file.
  ASSERT_TRUE(WriteFileBytes(path_ + ".tmp", "a leftover of an interrupted run, also long"));
  ASSERT_TRUE(::SetFileAttributesA((path_ + ".tmp").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(Rebuild("last"));
  EXPECT_EQ(ReadFileBytes(path_), "last");
  EXPECT_EQ(ReadFileBytes(path_ + ".old"), "new");
  EXPECT_FALSE(Exists(path_ + ".tmp"));

  // Discarded, the spare is gone with the temporary file; the file stays.
  ReplacingFile discarded(path_, 0, ReplacingFile::Start::kReuseSpare);
  ASSERT_TRUE(WriteNew(discarded, "never used"));
  discarded.Discard();
  ExpectAlone("last");
}

TEST_F(FileIo, AFolderInThePlaceOfTheSpareIsLeftAlone) {
  ASSERT_TRUE(WriteFileBytes(path_, "the current content"));
  ASSERT_TRUE(::CreateDirectoryA((path_ + ".old").c_str(), nullptr));
  ReplacingFile file(path_, 0, ReplacingFile::Start::kReuseSpare);
  const bool written = WriteNew(file, "new");
  const DWORD spare = ::GetFileAttributesA((path_ + ".old").c_str());
  const bool replaced = written && file.Replace();
  ::RemoveDirectoryA((path_ + ".old").c_str());
  ASSERT_TRUE(written);
  EXPECT_TRUE(spare != INVALID_FILE_ATTRIBUTES && (spare & FILE_ATTRIBUTE_DIRECTORY)) << "the folder was moved";
  ASSERT_TRUE(replaced);
  EXPECT_EQ(ReadFileBytes(path_), "new");
  EXPECT_FALSE(Exists(path_ + ".tmp"));
}

// A spare that another program holds open is not written over. One that
// shares its deletion (a viewer) is moved and deleted, but keeps its name
// until the program lets go; the new file then takes a name of this run.
TEST_F(FileIo, ASpareHeldByAnotherProgramIsLeftAndANewFileWritten) {
  struct Case {
    DWORD share;
    const char* spareAfter;
  };
  for (const Case& c : {Case{FILE_SHARE_READ, "a spare in use"},
                        Case{FILE_SHARE_READ | FILE_SHARE_DELETE, "the current content"}}) {
    SCOPED_TRACE(c.share);
    Clear();
    ASSERT_TRUE(WriteFileBytes(path_, "the current content"));
    ASSERT_TRUE(WriteFileBytes(path_ + ".old", "a spare in use"));
    HANDLE other = ::CreateFileA((path_ + ".old").c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    ReplacingFile file(path_, 0, ReplacingFile::Start::kReuseSpare);
    ASSERT_TRUE(WriteNew(file, "new"));
    const bool replaced = file.Replace();
    ::CloseHandle(other);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(ReadFileBytes(path_), "new");
    EXPECT_EQ(ReadFileBytes(path_ + ".old"), c.spareAfter);
    EXPECT_EQ(wine_test::FolderListing(folder_), (std::vector<std::string>{"target.bin", "target.bin.old"}));
  }
}

TEST_F(FileIo, ARebuiltFileLeavesAReadOnlyOrHeldOldFileAsItWas) {
  ASSERT_TRUE(WriteFileBytes(path_, "read-only"));
  ASSERT_TRUE(::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  {
    ReplacingFile file(path_, 0, ReplacingFile::Start::kReuseSpare);
    ASSERT_TRUE(WriteNew(file, "new"));
    // Windows refuses to rename a file onto a read-only one; so must this.
    const bool replaced = file.Replace();
    ::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_FALSE(replaced);
    ExpectAlone("read-only");
  }

  // Open in another program that shares neither writing nor deleting: no
  // second name is left on it either.
  ASSERT_TRUE(WriteFileBytes(path_, "held"));
  HANDLE other = ::CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  ReplacingFile file(path_, 0, ReplacingFile::Start::kReuseSpare);
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
