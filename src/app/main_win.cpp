#include <windows.h>

#include <string>

#include "app/entry_win.h"
#include "common/system_library_win.h"
#include "common/wide_text_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything loads a library by name.
  mervalis::RestrictLibrarySearch();
  // The whole command line, program path included: the path is split by the
  // same rule as the arguments. Read wide, so that a path in any script
  // splits as it is written.
  const std::string commandLine = mervalis::Narrow(::GetCommandLineW());
  return mervalis::RunProgram(instance, commandLine.c_str());
}
