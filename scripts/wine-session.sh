#!/usr/bin/env bash
# start [--hold]: a virtual display (unless one is given), the Wine prefix and
# a warm wineserver; --hold keeps a Windows process running for a test run.
# stop: ends all of it. The display is written to build/display.
set -euo pipefail
source "$(dirname "$0")/common.sh"

start() {
  mkdir -p "$BUILD"
  if [ -z "${DISPLAY:-}" ] || [ "${KOLVAR_OWN_DISPLAY:-}" = 1 ]; then
    local n=91
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    echo $! >"$BUILD/xvfb.pid"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    echo ":$n" >"$BUILD/display"
  else
    echo "$DISPLAY" >"$BUILD/display"
  fi
  export DISPLAY="$(cat "$BUILD/display")"
  if [ ! -f "$WINEPREFIX/.kolvar-ready" ]; then
    "$WINE" wineboot -i </dev/null >/dev/null 2>&1 || true
    # Without a window manager, Wine waits two seconds for every managed
    # window to be withdrawn; unmanaged windows close at once.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    "$WINESERVER" -w || true
    touch "$WINEPREFIX/.kolvar-ready"
  fi
  # "MS Sans Serif" as its Windows-1250 bitmap face, the one Windows shows
  # Central European text in, and Marlett for the caption buttons: the
  # script the release gives Linux users.
  if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    WINE="$WINE" "$ROOT/scripts/wine-fonts.sh" >/dev/null
    "$WINESERVER" -w || true
  fi
  # Services started by the first Wine process must not inherit our pipes.
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  local probe="$BUILD/win-$KOLVAR_TEST_ARCH/kolvar_probe.exe"
  if [ "${1:-}" = --hold ] && [ -f "$probe" ]; then
    "$WINE" "$probe" hold </dev/null >/dev/null 2>&1 &
  fi
}

stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -f "$BUILD/xvfb.pid" ]; then
    kill "$(cat "$BUILD/xvfb.pid")" 2>/dev/null || true
    rm -f "$BUILD/xvfb.pid"
  fi
}

cmd=$1
shift
"$cmd" "$@"
