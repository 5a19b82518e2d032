#include "common/file_io_win.h"

#include <new>
#include <string>

#include "common/crash_point.h"
#include "common/debug_log.h"
#include "common/names.h"
#include "common/wide_text_win.h"

namespace mervalis {

namespace {

CloseHandleFunction g_closeHandle = &::CloseHandle;

// Attempts at a temporary name of this run after "<path>.tmp".
constexpr int kRunNames = 8;

HANDLE CreateNew(const std::string& path, DWORD flags) noexcept {
  CrashPoint("file written");
  return ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | flags,
                       nullptr);
}

}  // namespace

bool ReadToEnd(HANDLE file, std::string& bytes) {
  char buffer[16384];
  DWORD read = 0;
  while (true) {
    if (!::ReadFile(file, buffer, sizeof(buffer), &read, nullptr)) return false;
    if (read == 0) return true;
    bytes.append(buffer, read);
  }
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  UniqueFile file(::CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  if (!ReadToEnd(file.get(), bytes) || bytes.size() != static_cast<std::size_t>(size.QuadPart)) {
    bytes.clear();
    return false;
  }
  return true;
}

bool WriteAll(HANDLE file, const void* bytes, std::size_t size) noexcept {
  const auto* next = static_cast<const char*>(bytes);
  while (size > 0) {
    constexpr std::size_t kChunk = 1 << 20;
    const DWORD part = static_cast<DWORD>(size < kChunk ? size : kChunk);
    DWORD written = 0;
    if (!::WriteFile(file, next, part, &written, nullptr) || written == 0) return false;
    next += written;
    size -= written;
  }
  return true;
}

bool WriteAllAt(HANDLE file, std::uint64_t offset, const void* bytes, std::size_t size) noexcept {
  LARGE_INTEGER at = {};
  at.QuadPart = static_cast<LONGLONG>(offset);
  return ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && WriteAll(file, bytes, size);
}

bool CloseWrittenFile(UniqueFile& file) noexcept {
  if (!file) return false;
  return g_closeHandle(file.release()) != FALSE;
}

CloseHandleFunction SetCloseHandleForTesting(CloseHandleFunction function) noexcept {
  const CloseHandleFunction previous = g_closeHandle;
  g_closeHandle = function ? function : &::CloseHandle;
  return previous;
}

WriteResult WriteWholeFile(const std::string& path, std::string_view bytes) noexcept {
  try {
    ReplacingFile file(path);
    if (!file.Created()) return WriteResult::kNotCreated;
    if (!WriteAll(file.handle(), bytes) || !file.Close()) {
      file.Discard();
      return WriteResult::kNotWritten;
    }
    return file.Replace() ? WriteResult::kWritten : WriteResult::kNotCreated;
  } catch (const std::bad_alloc&) {  // the paths' copies
    LogCaught("WriteWholeFile");
    return WriteResult::kNotCreated;
  }
}

void DeleteLeftoverTemporaries(const std::string& path) noexcept {
  try {
    ::DeleteFileW(Widen(path + ReplacingFile::kSuffix).c_str());
    // "<path>.<process id>-<n>.tmp": only names of that form, so that no
    // other file beside ours is taken for one.
    const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
    const std::string stem = path.substr(folder.size()) + ".";
    WIN32_FIND_DATAW found;
    UniqueFind search(::FindFirstFileW(Widen(path + ".*-*" + ReplacingFile::kSuffix).c_str(), &found));
    if (!search) return;
    do {
      const std::string name = Narrow(found.cFileName);
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsRunTemporaryName(name, stem)) {
        // One that another run still writes is open, and stays.
        ::DeleteFileW(Widen(folder + name).c_str());
      }
    } while (::FindNextFileW(search.get(), &found));
  } catch (...) {
    LogCaught("DeleteLeftoverTemporaries");
    // Only the names' allocations throw: the leftovers stay for the next run.
  }
}

ReplacingFile::ReplacingFile(const std::string& path, DWORD flags) : path_(path), temporary_(path + kSuffix) {
  const std::wstring temporary = Widen(temporary_);
  DeleteLeftoverTemporaries(path);
  file_.reset(CreateNew(temporary_, flags));
  // A file of that name that stays is a leftover still held open; a folder is
  // not ours to step round, and then the write fails.
  const DWORD inTheWay = file_ ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(temporary.c_str());
  const bool folder = inTheWay != INVALID_FILE_ATTRIBUTES && (inTheWay & FILE_ATTRIBUTE_DIRECTORY);
  const std::string run = path + "." + std::to_string(::GetCurrentProcessId()) + "-";
  for (int n = 1; !file_ && !folder && n <= kRunNames; ++n) {
    temporary_ = run + std::to_string(n) + kSuffix;
    file_.reset(CreateNew(temporary_, flags));
  }
  if (!file_) temporary_ = path + kSuffix;
}

bool ReplacingFile::Close() noexcept {
  // On the disk before the rename makes it the file: after a power cut the
  // name must not stand for a file whose data never arrived.
  if (file_ && !::FlushFileBuffers(file_.get())) {
    file_.reset();
    return false;
  }
  return CloseWrittenFile(file_);
}

void ReplacingFile::Discard() noexcept {
  file_.reset();
  ::DeleteFileW(Widen(temporary_).c_str());
}

bool ReplacingFile::Replace() noexcept {
  const std::wstring path = Widen(path_);
  const std::wstring temporary = Widen(temporary_);
  // Windows refuses to rename a file over a read-only one, Wine does not:
  // asking first gives the same answer everywhere.
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  // A rename onto the old file, never a move of the old file aside first:
  // `path` must not be missing for a moment (ReplaceFile does that under Wine).
  CrashPoint("file renamed");
  if (!readOnly &&
      ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) ::DeleteFileW(temporary.c_str());
  return false;
}

}  // namespace mervalis
