#!/usr/bin/env bash
# Starts the program under Wine: in the user's X display when there is one,
# otherwise on a virtual display, with a screenshot saved after a few seconds.
set -euo pipefail
build=${1:-build}; shift || true
build=$(cd "$build" && pwd)
exe=$build/win32/bin/Mervalis.exe

export WINEPREFIX=$build/run-prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
log=$build/run-wine.log
: >"$log"

virtual=""
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 140 190); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] || break
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >>"$log" 2>&1 &
  virtual=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.05; done
  trap 'wineserver -k >/dev/null 2>&1 || true; kill $virtual 2>/dev/null || true' EXIT
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: making the Wine prefix $WINEPREFIX"
  wineboot --init >>"$log" 2>&1
  wineserver -w
  # Keep the profile's folders inside the prefix rather than linked to $HOME.
  for link in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm "$link"; mkdir "$link"; fi
  done
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >>"$log" 2>&1
fi
if [ -n "$virtual" ]; then
  # Wine's own desktop draws the window frames where no window manager runs.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$log" 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >>"$log" 2>&1
  wineserver -w
fi

if [ -z "$virtual" ]; then
  exec wine "$exe" "$@"
fi

wine "$exe" "$@" >>"$log" 2>&1 &
program=$!
sleep 6
mkdir -p "$build/artifacts"
shot=$build/artifacts/run.png
/usr/bin/import -display "$DISPLAY" -window root "$shot"
if kill -0 "$program" 2>/dev/null; then
  echo "run: no display here, so the program ran on a virtual one; screenshot: $shot"
else
  wait "$program" || true
  echo "run: the program ended; screenshot of the virtual display: $shot"
fi
