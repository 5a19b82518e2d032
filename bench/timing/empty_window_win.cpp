// The yardstick of the apply run: a Win32 program that does the least any
// windowed program does, registering a class, creating a hidden window,
// handling what arrives until the queue is empty, and ending.
//
// `empty_window timer`, the yardstick of the desktop mode: the same window
// woken by a timer every 31 ms (the mode's frame period) and doing nothing
// else, until it is ended.
#include <windows.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "MervalisBenchEmptyWindow";
  if (!::RegisterClassA(&windowClass)) return 1;
  HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "empty", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 320, 240, nullptr, nullptr,
                                  instance, nullptr);
  if (!window) return 1;
  if (commandLine && ::lstrcmpA(commandLine, "timer") == 0) {
    ::SetTimer(window, 1, 31, nullptr);
  } else {
    ::PostMessageA(window, WM_CLOSE, 0, 0);
  }
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return 0;
}
