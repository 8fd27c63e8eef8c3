# Sourced by the scripts: paths, the Wine environment and the test architecture.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

# The shipped program is 32-bit. Some kernels run no 32-bit code at all (the
# 32-bit loader fails with "Exec format error"); there the Windows build of the
# tests is made for x86_64 and runs under 64-bit Wine instead.
# Where the kernel runs 32-bit code but the 32-bit Wine could not be
# installed (the set-up goes on without it), the tests take the 64-bit build.
# KOLVAR_KERNEL_RUNS_32BIT=yes or no overrides the kernel check.
source "$ROOT/scripts/setup-steps.sh"
if [ -z "${KOLVAR_TEST_ARCH:-}" ]; then
  KOLVAR_TEST_ARCH=x86_64
  case "${KOLVAR_KERNEL_RUNS_32BIT:-}" in
    yes) runs32=0 ;; no) runs32=1 ;; *) if kernel_runs_32bit; then runs32=0; else runs32=1; fi ;;
  esac
  if [ $runs32 -eq 0 ]; then
    if package_installed wine32:i386; then
      KOLVAR_TEST_ARCH=i686
    elif [ -z "${KOLVAR_ARCH_SAID:-}" ]; then
      echo "The 32-bit Wine (wine32:i386) is not installed: the Windows tests run the 64-bit build." >&2
      export KOLVAR_ARCH_SAID=1
    fi
  fi
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
