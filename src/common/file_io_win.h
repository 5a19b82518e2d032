// Whole files read and written in one go, and files replaced only when their
// new content is complete. Every file the program writes goes through here,
// so a failed close counts as a failed write everywhere.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "common/win_handles.h"

namespace mervalis {

// Reads from the file's position to its end, appending to `bytes`; false when
// a read fails (what was read so far stays in `bytes`).
[[nodiscard]] bool ReadToEnd(HANDLE file, std::string& bytes);
// The whole file, opened so that others may hold it open in any way (the
// running program's own image, for one); false, with `bytes` empty, when it
// cannot be opened or read in full.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& bytes);

// Writes every byte at the file's position; false when any did not reach it.
[[nodiscard]] bool WriteAll(HANDLE file, const void* bytes, std::size_t size) noexcept;
[[nodiscard]] inline bool WriteAll(HANDLE file, std::string_view bytes) noexcept {
  return WriteAll(file, bytes.data(), bytes.size());
}

// Closes a file that was just written; false when the close failed, which is
// a failed write: the system may write the last data only now (a full disk,
// a network share that went away).
[[nodiscard]] bool CloseWrittenFile(UniqueFile& file) noexcept;

// For tests: replaces the system call that CloseWrittenFile makes
// (CloseHandle); gives back the one it replaced.
using CloseHandleFunction = BOOL(WINAPI*)(HANDLE);
CloseHandleFunction SetCloseHandleForTesting(CloseHandleFunction function) noexcept;

enum class WriteResult {
  kWritten,
  kNotCreated,  // nothing written: the file could not be created
  kNotWritten,  // created, but not every byte reached it or the close failed
};
// Writes a new file at `path` (a file there is replaced) and closes it, also
// when the write fails.
[[nodiscard]] WriteResult WriteWholeFile(const std::string& path, std::string_view bytes) noexcept;

// A new content for `path`, written first to "<path>.tmp" beside it and then
// moved over it in one step, so that `path` is always either the old file or
// the complete new one, never a half-written one. The steps are the caller's
// to take in order: write through handle(), Close(), Replace() or
// ReplaceRebuilt(); after a failure Discard() deletes the temporary file.
// Nothing is deleted by itself: a temporary file left over by an interrupted
// run goes when the next one starts, or is written over.
class ReplacingFile {
 public:
  static constexpr char kSuffix[] = ".tmp";
  static constexpr char kAsideSuffix[] = ".old";

  // Where the temporary file comes from.
  enum class Start {
    // A leftover temporary file is deleted and a new one created. Created,
    // not truncated: a file emptied and written again is written out to the
    // disk when closed by some file systems (ext4), which costs the caller
    // the time of the whole write.
    kNewFile,
    // For a file that every run builds afresh in full (see ReplaceRebuilt):
    // a leftover temporary file, or else the old file that the previous
    // ReplaceRebuilt set aside, is written over in place; only without
    // either is a new one created. The file system then reuses the space
    // and the cached pages it has, instead of allocating them for a new file
    // and freeing the old file's: for a picture of a large screen that is
    // several milliseconds of the run.
    kReuseSpare,
  };

  // The temporary file is opened with the extra CreateFile `flags`
  // (FILE_FLAG_SEQUENTIAL_SCAN, for one).
  explicit ReplacingFile(const std::string& path, DWORD flags = 0, Start start = Start::kNewFile);
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  [[nodiscard]] bool Created() const noexcept { return file_.valid(); }
  [[nodiscard]] HANDLE handle() const noexcept { return file_.get(); }
  [[nodiscard]] const std::string& temporaryPath() const noexcept { return temporary_; }

  // See CloseWrittenFile. A file written over ends where the writing ended:
  // what is left of its old content after that is cut off first.
  [[nodiscard]] bool Close() noexcept;
  // Closes the temporary file if still open and deletes it.
  void Discard() noexcept;
  // Moves the closed temporary file over `path`; when that fails (the old
  // file is in use, read-only or a folder) deletes it and gives false.
  [[nodiscard]] bool Replace() noexcept;
  // The same for a file that every run builds afresh (a picture composed for
  // the screen). A plain old file is moved aside to "<path>.old" and the new
  // one moved in; `path` is missing only between the two renames. The old
  // file stays there, to be written over by the next run (Start::kReuseSpare)
  // and removed with the rest by the uninstaller. Moving a new file onto an
  // old one would also make some file systems (ext4) write the new data out
  // at once, to keep it across a crash, which a file built again by the next
  // run does not need and which for a large one takes long. A leftover
  // "<path>.old" is replaced; a read-only old file takes the way of Replace().
  [[nodiscard]] bool ReplaceRebuilt() noexcept;

 private:
  std::string path_;
  std::string temporary_;
  UniqueFile file_;
  bool writtenOver_ = false;
};

}  // namespace mervalis
