// Writes payload items of the running program out as files.
#pragma once

#include <windows.h>

#include <string_view>

namespace mervalis {

// Writes the raw-data resource `id` of the running program to `path`,
// replacing any file there only by the complete new one (see WriteWholeFile).
// On failure it has already shown its own message box (the reason, the
// resource id and the file name) and gives false; an existing file is then as
// it was. The file is closed before the box shows, so nothing holds it
// meanwhile. With a `tag`, its first occurrence is replaced by `replacement`
// before the one write (ReplaceFirst): the file never holds the tag.
[[nodiscard]] bool WriteResourceFile(int id, std::string_view path, std::string_view tag = {},
                                     std::string_view replacement = {});
// The same for the resources of `module` (the tests' way in).
[[nodiscard]] bool WriteResourceFile(HMODULE module, int id, std::string_view path, std::string_view tag = {},
                                     std::string_view replacement = {});

}  // namespace mervalis
