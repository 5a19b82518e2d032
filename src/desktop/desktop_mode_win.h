// The two run modes of the native animation: `desktop`, behind the desktop
// icons for the whole session, and `preview`, in an ordinary window.
#pragma once

#include <windows.h>

namespace mervalis {

// One desktop mode per session: the mutex lives in the session's own
// namespace and is owned by the running mode until it ends, so whoever stops
// the mode can wait on it. It and the stop event are open to the user's own
// processes whatever rights each runs with (SameUserSecurity).
inline constexpr char kDesktopMutexName[] = "QUORVANESOFTMRVLSDESKTOP";
// Setting this event (manual reset) ends the running desktop mode.
inline constexpr char kDesktopStopEventName[] = "QUORVANESOFTMRVLSDESKTOPSTOP";

// The desktop mode's hidden top-level window (it gets the shell's and the
// system's broadcasts; WM_CLOSE to it ends the mode too), the window it
// places behind the icons, and the preview window.
inline constexpr char kDesktopHostClass[] = "MervalisDesktopHost";
inline constexpr char kDesktopViewClass[] = "MervalisDesktopView";
inline constexpr char kPreviewClass[] = "MervalisPreview";
inline constexpr char kPreviewCaption[] = "Mervalis";

// Runs until stopped, the session ends, or, quietly, when no place behind the
// icons can be found or the pictures cannot be decoded.
void RunDesktopMode(HINSTANCE instance);
// Runs until the window is closed.
void RunPreviewMode(HINSTANCE instance);

}  // namespace mervalis
