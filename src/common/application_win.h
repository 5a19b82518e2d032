// The application: its hidden window of class "TApplication", which carries
// the application title and, as a top-level window, owns the task-bar button,
// and the message loop. The main window is owned by it, so minimising and
// restoring the application window takes the main window along.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace mervalis {

inline constexpr char kApplicationWindowClass[] = "TApplication";

class Application {
 public:
  static Application& Instance() noexcept;

  // What the application window is: the top-level window that stands for the
  // program in the task bar, or, for a run that never shows anything, a
  // message-only window, which needs no window of the screen's own.
  enum class Presence { kTaskBar, kMessageOnly };

  // Creates the hidden application window; false when Windows refuses.
  [[nodiscard]] bool Initialize(HINSTANCE instance, Presence presence) noexcept;
  [[nodiscard]] HINSTANCE ModuleInstance() const noexcept { return instance_; }
  [[nodiscard]] HWND Handle() const noexcept { return handle_; }

  // Before Initialize the title is the program file's name without extension.
  [[nodiscard]] std::string Title() const;
  void SetTitle(std::string_view title);

  // Whether Run shows the main window (off in the apply mode).
  void SetShowMainWindow(bool show) noexcept { showMainWindow_ = show; }
  void SetMainWindow(HWND window) noexcept { mainWindow_ = window; }
  [[nodiscard]] HWND MainWindow() const noexcept { return mainWindow_; }

  // Shows the task-bar button and the main window (unless switched off) and
  // runs the message loop until Terminate.
  void Run();
  void Terminate() noexcept;
  [[nodiscard]] bool Terminated() const noexcept { return terminated_; }
  // Handles the window messages that are waiting, then returns.
  void ProcessMessages();
  void Minimize() noexcept;
  // The standard error display: the error's text in a box captioned with the
  // application title.
  void ShowException(const char* message) noexcept;
  // The error guard of the entry and the window procedures, which never let an
  // exception out: called from their `catch (...)`, it shows the exception
  // being handled, a std::exception with its own text, anything else as "An
  // unexpected error occurred.". Outside a handler it ends the process.
  void ShowCurrentException() noexcept;

  // A silent run ("/S") shows nothing: every box, error boxes too, goes to the
  // debug log instead, and a question counts as answered No.
  void SetSilent(bool silent) noexcept { silent_ = silent; }
  [[nodiscard]] bool Silent() const noexcept { return silent_; }

 private:
  Application() = default;
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  bool DispatchOne(const MSG& msg);

  HINSTANCE instance_ = nullptr;
  HWND handle_ = nullptr;
  HWND mainWindow_ = nullptr;
  // The owner of the error box when there is no main window: none for a
  // message-only application window.
  HWND boxOwner_ = nullptr;
  std::string title_;
  bool showMainWindow_ = true;
  bool terminated_ = false;
  bool silent_ = false;
};

// A modal message box of the program's operations: owned by the active window
// of this thread, captioned with the application title unless told otherwise.
// In a silent run the text goes to the debug log, and the box's default
// answer that changes nothing (OK, No or Cancel) is returned.
int ShowMessage(std::string_view text, UINT style);
int ShowMessage(std::string_view text, std::string_view caption, UINT style);

}  // namespace mervalis
