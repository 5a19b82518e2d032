// `Mervalis.exe report`: writes what a developer needs to see this desktop
// ("Mervalis report.txt" beside the log: %LOCALAPPDATA%\Quorvane\ from
// Vista on) and
// opens it with the user's text editor.
#pragma once

#include <string>

namespace mervalis::desktop {

// The report's text, the user's folder written as %USERPROFILE%.
[[nodiscard]] std::string ComposeReport();

// Writes the report and opens it ("open" on the file: the user's editor for
// text); the report's path, empty when it could not be written.
std::string WriteAndOpenReport();

}  // namespace mervalis::desktop
