#!/usr/bin/env python3
"""Records what happens to the names in some folders, for a Windows test under
Wine that must see each step of a file's replacement, which no Windows call
shows. Started by the test as a Linux process (tests/wine/file_watch.h):

    file_watch.py LOG FOLDER...

It watches each FOLDER with inotify, creates LOG + ".ready" once the watches
stand, and ends when a file named LOG + ".stop" appears (or after two
minutes). It then writes one line per event, "<event> <folder number> <name>",
to LOG, complete before LOG appears under its name.
"""
import ctypes
import os
import select
import struct
import sys
import time

EVENTS = {0x2: "modify", 0x8: "close_write", 0x40: "moved_from", 0x80: "moved_to", 0x100: "create",
          0x200: "delete"}
LIMIT_S = 120


def main():
    log, folders = sys.argv[1], sys.argv[2:]
    libc = ctypes.CDLL(None, use_errno=True)
    fd = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
    if fd < 0:
        return 1
    mask = sum(EVENTS)
    watches = {}
    for number, folder in enumerate(folders):
        wd = libc.inotify_add_watch(fd, os.fsencode(folder), mask)
        if wd < 0:
            return 1
        watches[wd] = number
    open(log + ".ready", "w").close()
    lines, end = [], time.monotonic() + LIMIT_S

    def read():
        try:
            data = os.read(fd, 65536)
        except BlockingIOError:
            return False
        at = 0
        while at < len(data):
            wd, event, _, size = struct.unpack_from("iIII", data, at)
            name = data[at + 16:at + 16 + size].rstrip(b"\0").decode("utf-8", "replace")
            at += 16 + size
            for bit, word in EVENTS.items():
                if event & bit and wd in watches:
                    lines.append(f"{word} {watches[wd]} {name}\n")
        return True

    while not os.path.exists(log + ".stop") and time.monotonic() < end:
        if select.select([fd], [], [], 0.05)[0]:
            read()
    while read():  # what came before the stop
        pass
    with open(log + ".part", "w") as out:
        out.writelines(lines)
    os.rename(log + ".part", log)
    return 0


if __name__ == "__main__":
    sys.exit(main())
