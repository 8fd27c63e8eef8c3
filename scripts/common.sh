# Sourced by the scripts: paths, the Wine environment and the test architecture.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

# The shipped program is 32-bit. Some kernels run no 32-bit code at all (the
# 32-bit loader fails with "Exec format error"); there the Windows build of the
# tests is made for x86_64 and runs under 64-bit Wine instead.
if [ -z "${KOLVAR_TEST_ARCH:-}" ]; then
  if /lib/ld-linux.so.2 --help >/dev/null 2>&1; then KOLVAR_TEST_ARCH=i686; else KOLVAR_TEST_ARCH=x86_64; fi
fi
export KOLVAR_TEST_ARCH

export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=d;mshtml=d}"
if [ "$KOLVAR_TEST_ARCH" = i686 ]; then
  WINE=/usr/bin/wine
else
  WINE=/usr/lib/wine/wine64
  export WINELOADER=$WINE
fi
WINESERVER=/usr/lib/wine/wineserver
export WINE WINESERVER
