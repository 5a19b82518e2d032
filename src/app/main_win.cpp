#include <windows.h>

#include "app/entry_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The whole command line, program path included: the path is split by the
  // same rule as the arguments.
  return mervalis::RunProgram(instance, ::GetCommandLineA());
}
