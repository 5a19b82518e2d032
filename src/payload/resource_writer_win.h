// Writes payload items of the running program out as files.
#pragma once

#include <string_view>

namespace mervalis {

// Writes the raw-data resource `id` of the running program to `path`,
// replacing any file there. On failure it has already shown its own message
// box (the reason, the resource id and the file name) and gives false; a
// failure before the file is touched leaves an existing file as it was.
[[nodiscard]] bool WriteResourceFile(int id, std::string_view path);

}  // namespace mervalis
