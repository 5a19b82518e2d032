// The program's file version: one place for the version resource
// (src/app/mervalis.rc) and for what the uninstall entry reports. Plain
// macros, so that the resource compiler can read this file too.
#pragma once

#define MERVALIS_FILE_VERSION 1, 0, 0, 0
#define MERVALIS_FILE_VERSION_TEXT "1.0.0.0"
