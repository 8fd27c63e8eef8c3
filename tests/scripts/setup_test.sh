#!/usr/bin/env bash
# The set-up's decisions against stand-ins for apt-get, dpkg and dpkg-query
# that fail as a half-synced mirror does. No network, no root.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"

# apt-get: "update" fails while $work/update_failures holds a number above 0
# (or "always"), with the message of a mirror in sync; "install" fails when
# one of its packages is listed in $work/broken, else records them installed.
cat >"$work/bin/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE/calls"
case "$1" in
  update)
    left="$(cat "$FAKE/update_failures" 2>/dev/null || echo 0)"
    if [ "$left" = always ] || [ "$left" -gt 0 ]; then
      [ "$left" = always ] || echo $((left - 1)) >"$FAKE/update_failures"
      echo "Err:6 http://deb.example/debian-security bookworm-security/main i386 Packages"
      echo "E: Failed to fetch http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?"
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
      exit 100
    fi ;;
  install)
    shift
    pkgs=(); for a in "$@"; do case "$a" in -*) ;; *) pkgs+=("$a") ;; esac; done
    for p in "${pkgs[@]}"; do
      if grep -qx "$p" "$FAKE/broken" 2>/dev/null; then
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
      fi
    done
    printf '%s\n' "${pkgs[@]}" >>"$FAKE/installed" ;;
esac
exit 0
STUB
cat >"$work/bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
grep -qx "${!#}" "$FAKE/installed" 2>/dev/null && { printf 'install ok installed'; exit 0; }
exit 1
STUB
cat >"$work/bin/dpkg" <<'STUB'
#!/usr/bin/env bash
echo "dpkg $*" >>"$FAKE/calls"
[ "$1" = --print-foreign-architectures ] && cat "$FAKE/arches" 2>/dev/null
exit 0
STUB
chmod +x "$work/bin/"*

failures=0
check() {  # description, condition...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}

# One scenario: a fresh fake machine, the stand-ins' settings, the kernel's
# 32-bit answer; runs setup_main and keeps its output and status.
scenario() {  # name, runs32 (yes/no), update_failures, broken packages...
  local name=$1 runs32=$2 upd=$3; shift 3
  export FAKE="$work/$name"
  mkdir -p "$FAKE"
  echo "$upd" >"$FAKE/update_failures"
  printf '%s\n' "$@" >"$FAKE/broken"
  (
    PATH="$work/bin:$PATH"
    SETUP_PAUSE=0 SUDO=""
    source "$here/../../scripts/setup-steps.sh"
    if [ "$runs32" = yes ]; then kernel_runs_32bit() { return 0; }; else kernel_runs_32bit() { return 1; }; fi
    setup_main
  ) >"$FAKE/out" 2>&1
  echo $? >"$FAKE/status"
}
status() { [ "$(cat "$work/$1/status")" = "$2" ]; }
said() { grep -q -- "$2" "$work/$1/out"; }
called() { grep -q -- "$2" "$work/$1/calls"; }
installed() { grep -qx -- "$2" "$work/$1/installed"; }

scenario flaky no 1
check "an update that fails once is tried again and the set-up succeeds" status flaky 0
check "  it was tried twice" [ "$(grep -c 'apt-get update' "$work/flaky/calls")" = 2 ]
check "  the packages are installed" installed flaky wine64

scenario broken-index no always
check "an index that keeps failing: the set-up goes on and succeeds" status broken-index 0
check "  it names the index it goes on without" said broken-index "index not read, going on without it: http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz"
check "  the packages are installed" installed broken-index g++-mingw-w64-i686

scenario no32 no 0 wine32:i386
check "no 32-bit kernel: the 32-bit Wine is never asked for" bash -c "! grep -q wine32 '$work/no32/calls'"
check "  nor the i386 architecture added" bash -c "! grep -q add-architecture '$work/no32/calls'"
check "  and the set-up succeeds" status no32 0

scenario with32 yes always wine32:i386
check "32-bit kernel, wine32 not installable: the set-up succeeds" status with32 0
check "  it adds the i386 architecture" called with32 "dpkg --add-architecture i386"
check "  it says wine32 is left out and why, in one line" said with32 "cannot install wine32:i386: E: Unable to correct problems"
check "  and that the tests run the 64-bit build" said with32 "wine32:i386 left out: the Windows tests run the 64-bit build instead"
check "  every other package is installed" installed with32 wine64

scenario missing no 0 libgtest-dev
check "a required package that cannot be installed fails the set-up" status missing 1
check "  naming it and apt's reason" said missing "cannot install libgtest-dev: E: Unable to correct problems"
check "  the others are still installed" installed missing cmake

# The tests' side: a kernel that runs 32-bit code without the 32-bit Wine
# falls back to the 64-bit build and says so once.
out="$(
  PATH="$work/bin:$PATH" FAKE="$work/missing" KOLVAR_TEST_ARCH="" KOLVAR_KERNEL_RUNS_32BIT=yes \
    bash -c 'source "'"$here"'/../../scripts/common.sh"; echo "arch=$KOLVAR_TEST_ARCH"' 2>&1
)"
check "no 32-bit Wine on a 32-bit kernel: the tests use the 64-bit build" grep -q "arch=x86_64" <<<"$out"
check "  and say so in one line" [ "$(grep -c '32-bit Wine' <<<"$out")" = 1 ]

if [ $failures -ne 0 ]; then
  for d in "$work"/*/; do [ -f "$d/out" ] && { echo "--- ${d%/}"; cat "$d/out"; }; done
  exit 1
fi
