// Whole files read and written in one go, and files replaced only when their
// new content is complete. Every file the program writes goes through here,
// so a failed close counts as a failed write everywhere.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
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
// The same at `offset` from the file's start; the file grows as needed.
[[nodiscard]] bool WriteAllAt(HANDLE file, std::uint64_t offset, const void* bytes, std::size_t size) noexcept;

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
  kNotCreated,  // the file at `path` is as it was: the new one could not be created or put in its place
  kNotWritten,  // the file at `path` is as it was: not every byte reached the new one, or its close failed
};
// Writes a new file for `path` through a ReplacingFile: a file there is
// replaced only by the complete new one.
[[nodiscard]] WriteResult WriteWholeFile(const std::string& path, std::string_view bytes) noexcept;

// Deletes what an interrupted replace of `path` may have left beside it:
// "<path>.tmp" and "<path>.<process id>-<n>.tmp". One still held open by the
// run that writes it stays.
void DeleteLeftoverTemporaries(const std::string& path) noexcept;

// A new content for `path`, written first to a temporary file beside it and
// then renamed over it in one step, so that `path` always names either the old
// file or the complete new one: never a half-written one, and never none. The
// steps are the caller's to take in order: write through handle(), Close(),
// Replace(); after a failure Discard() deletes the temporary file. The
// temporary files an interrupted run left beside `path` go when the next
// one starts (DeleteLeftoverTemporaries).
class ReplacingFile {
 public:
  static constexpr char kSuffix[] = ".tmp";

  // The temporary file is opened with the extra CreateFile `flags`
  // (FILE_FLAG_SEQUENTIAL_SCAN, for one). When a leftover file "<path>.tmp"
  // cannot go (another program still holds it open, and a deleted file keeps
  // its name until the last handle closes), the new file takes a name of this
  // run instead, "<path>.<process id>-<n>.tmp"; a folder of that name is not
  // stepped round, and nothing is created.
  explicit ReplacingFile(const std::string& path, DWORD flags = 0);
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  [[nodiscard]] bool Created() const noexcept { return file_.valid(); }
  [[nodiscard]] HANDLE handle() const noexcept { return file_.get(); }
  [[nodiscard]] const std::string& temporaryPath() const noexcept { return temporary_; }

  // Flushes the data to the disk and closes; see CloseWrittenFile.
  [[nodiscard]] bool Close() noexcept;
  // Closes the temporary file if still open and deletes it.
  void Discard() noexcept;
  // Renames the closed temporary file over `path` in one step, written through
  // to the disk. When the rename fails (the old file is read-only, in use or
  // a folder) the old file stays as it was and the temporary file is
  // deleted; only when
  // nothing is left under `path` does the new file stay, under its temporary
  // name, as the one complete content there is.
  [[nodiscard]] bool Replace() noexcept;

 private:
  std::string path_;
  std::string temporary_;
  UniqueFile file_;
};

}  // namespace mervalis
