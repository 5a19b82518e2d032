// Resource ids of the program file. Shared by the resource script and the code.
#pragma once

// The program's icon.
#define IDI_MAINICON 1

// Payload items (raw data, written out as files by the apply sequence).
#define IDR_RUNTIME_CONTROL 101
#define IDR_FIRST_PICTURE 103
#define IDR_LAST_PICTURE 118
#define IDR_PAGE_TEMPLATE 119

// Pictures and text of the installer window.
#define IDR_SCENE_JPEG 201
#define IDR_FRAME_JPEG 202
#define IDR_BANNER_JPEG 203
#define IDR_LICENSE_TEXT 204
#define IDB_CHECK 301
#define IDB_CHECK_DISABLED 302
