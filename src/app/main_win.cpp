#include <windows.h>

#include "app/entry_win.h"
#include "common/system_library_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything loads a library by name.
  mervalis::RestrictLibrarySearch();
  // The whole command line, program path included: the path is split by the
  // same rule as the arguments.
  return mervalis::RunProgram(instance, ::GetCommandLineA());
}
