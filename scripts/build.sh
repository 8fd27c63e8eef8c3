#!/usr/bin/env bash
# Configures and builds: the native core with sanitizers, the 32-bit program,
# and the Windows tests for the architecture this machine runs.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$ROOT"

configure() {  # dir, extra args...
  local dir=$1; shift
  [ -f "$dir/CMakeCache.txt" ] || cmake -S "$ROOT" -B "$dir" "$@" >"$dir.configure.log" 2>&1 ||
    { cat "$dir.configure.log"; exit 1; }
}
mkdir -p "$BUILD"
if [ "${1:-}" != --program-only ]; then
  configure "$BUILD/native" -DCMAKE_BUILD_TYPE=Debug
  cmake --build "$BUILD/native" -j2
fi
configure "$BUILD/win-i686" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw32.cmake" -DKOLVAR_WIN_ARCH=i686
if [ "$KOLVAR_TEST_ARCH" = i686 ] && [ "${1:-}" != --program-only ]; then
  cmake --build "$BUILD/win-i686" -j2
else
  cmake --build "$BUILD/win-i686" -j2 --target Kolvar_files kolvar_probe
  if [ "$KOLVAR_TEST_ARCH" != i686 ]; then
    configure "$BUILD/win-$KOLVAR_TEST_ARCH" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw32.cmake" \
      -DKOLVAR_WIN_ARCH="$KOLVAR_TEST_ARCH"
    if [ "${1:-}" = --program-only ]; then
      cmake --build "$BUILD/win-$KOLVAR_TEST_ARCH" -j2 --target Kolvar_files kolvar_probe
    else
      cmake --build "$BUILD/win-$KOLVAR_TEST_ARCH" -j2
    fi
  fi
fi
