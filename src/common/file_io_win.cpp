#include "common/file_io_win.h"

namespace mervalis {

namespace {

CloseHandleFunction g_closeHandle = &::CloseHandle;

HANDLE CreateNewTemporary(const std::string& path, DWORD flags) noexcept {
  ::DeleteFileA(path.c_str());
  return ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
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
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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
  UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file) return WriteResult::kNotCreated;
  const bool whole = WriteAll(file.get(), bytes);
  const bool closed = CloseWrittenFile(file);
  return whole && closed ? WriteResult::kWritten : WriteResult::kNotWritten;
}

ReplacingFile::ReplacingFile(const std::string& path, DWORD flags, Start start)
    : path_(path), temporary_(path + kSuffix) {
  if (start == Start::kReuseSpare) {
    const std::string spare = path_ + kAsideSuffix;
    const DWORD spareAttributes = ::GetFileAttributesA(spare.c_str());
    if (::GetFileAttributesA(temporary_.c_str()) == INVALID_FILE_ATTRIBUTES &&
        spareAttributes != INVALID_FILE_ATTRIBUTES && !(spareAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      (void)::MoveFileExA(spare.c_str(), temporary_.c_str(), 0);
    }
    // Ours to write over, read-only or not.
    ::SetFileAttributesA(temporary_.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE handle = ::CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    writtenOver_ = handle != INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ALREADY_EXISTS;
    file_.reset(handle);
  }
  // Also when neither can be opened for writing (held by another program):
  // a new file is the last chance.
  if (!file_) file_.reset(CreateNewTemporary(temporary_, flags));
}

bool ReplacingFile::Close() noexcept {
  const bool ended = !file_ || !writtenOver_ || ::SetEndOfFile(file_.get());
  const bool closed = CloseWrittenFile(file_);
  return ended && closed;
}

void ReplacingFile::Discard() noexcept {
  file_.reset();
  ::DeleteFileA(temporary_.c_str());
}

bool ReplacingFile::Replace() noexcept {
  if (::MoveFileExA(temporary_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  ::DeleteFileA(temporary_.c_str());
  return false;
}

bool ReplacingFile::ReplaceRebuilt() noexcept {
  const DWORD attributes = ::GetFileAttributesA(path_.c_str());
  const bool plainFile = attributes != INVALID_FILE_ATTRIBUTES &&
                         !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
  if (!plainFile) return Replace();
  const std::string aside = path_ + kAsideSuffix;
  ::SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
  // Fails while another program holds the old file without sharing its
  // deletion; the plain move then gives the answer.
  if (!::MoveFileExA(path_.c_str(), aside.c_str(), MOVEFILE_REPLACE_EXISTING)) return Replace();
  if (!::MoveFileExA(temporary_.c_str(), path_.c_str(), 0)) {
    ::MoveFileExA(aside.c_str(), path_.c_str(), 0);
    ::DeleteFileA(temporary_.c_str());
    return false;
  }
  return true;
}

}  // namespace mervalis
