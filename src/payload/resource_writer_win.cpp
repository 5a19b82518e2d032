#include "payload/resource_writer_win.h"

#include <string>

#include "common/application_win.h"
#include "common/file_io_win.h"
#include "payload/page_text.h"
#include "payload/payload_item_win.h"

namespace mervalis {

namespace {

constexpr char kRestart[] = "\n\nPlease restart your computer then run this program again.";

bool Fail(const std::string& reason, int id, std::string_view path) {
  ShowMessage(reason + kRestart + "\n\nResource ID: " + std::to_string(id) + "\nFileName: " + std::string(path),
              MB_OK | MB_ICONSTOP);
  return false;
}

// Replaces the file at `path` by the bytes, written beside it first: the old
// file stays until the new one is complete. The reason of a failure, or null;
// the file is closed when it returns.
const char* WriteNewFile(const std::string& path, std::string_view bytes) {
  switch (WriteWholeFile(path, bytes)) {
    case WriteResult::kWritten: return nullptr;
    case WriteResult::kNotCreated: return "File could not be opened or created!";
    case WriteResult::kNotWritten: break;
  }
  return "File could not be fully written!";
}

}  // namespace

bool WriteResourceFile(int id, std::string_view path, std::string_view tag, std::string_view replacement) {
  return WriteResourceFile(::GetModuleHandleW(nullptr), id, path, tag, replacement);
}

bool WriteResourceFile(HMODULE module, int id, std::string_view path, std::string_view tag,
                       std::string_view replacement) {
  const PayloadItem item = FindPayloadItem(module, id);
  switch (item.lookup) {
    case PayloadLookup::kNotFound: return Fail("Resource not found!", id, path);
    case PayloadLookup::kEmpty: return Fail("Resource has no size!", id, path);
    case PayloadLookup::kNotLoaded: return Fail("Resource could not be loaded", id, path);
    case PayloadLookup::kNotLocked: return Fail("Resource could not be locked", id, path);
    case PayloadLookup::kFound: break;
  }
  const std::string_view bytes(reinterpret_cast<const char*>(item.bytes.data()), item.bytes.size());
  const std::string edited = tag.empty() ? std::string() : ReplaceFirst(bytes, tag, replacement);
  if (const char* reason = WriteNewFile(std::string(path), tag.empty() ? bytes : edited)) {
    return Fail(reason, id, path);
  }
  return true;
}

}  // namespace mervalis
