// Test builds can end the program at any step that changes the disk, the
// registry or the desktop, to show that every state an interruption leaves
// is finished by running the same operation again. The shipped program is
// built with the switch off: the calls then do nothing.
#pragma once

namespace mervalis {

// Called right before such a step (`what` names it). With the switch on and
// the environment variable MERVALIS_CRASH_POINTS naming a file, the name is
// appended to that file as one line, so the file counts the steps of every
// process of the run; when that count reaches MERVALIS_CRASH_AT, the process
// ends at once, as a kill would end it; with MERVALIS_CRASH_STALL naming a
// file, it makes that file and waits instead, for a power cut from outside.
void CrashPoint(const char* what) noexcept;

}  // namespace mervalis
