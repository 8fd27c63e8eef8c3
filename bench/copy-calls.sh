#!/usr/bin/env bash
# System calls of a Copy ("Usual" copy) of 10,000 files of 4 KiB (the small
# tree of bench/transfer-run.sh) into an empty folder: the program's and its
# wineserver's, counted by strace. A count that the machine's load does not
# move, for comparing two builds on a busy machine, where the times of one
# build vary more than the difference looked for.
# Usage: bench/copy-calls.sh [TRANSFER_BENCH_EXE...]   (default: this build's)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
command -v strace >/dev/null || { echo "copy-calls: strace is not installed" >&2; exit 1; }
bench_build transfer_bench
exes=("$@")
[ ${#exes[@]} -gt 0 ] || exes=("build/win-$KOLVAR_TEST_ARCH/transfer_bench.exe")
small="$BUILD/bench-small"
if [ ! -f "$BUILD/bench-small.done" ]; then
  /usr/bin/python3 - "$small" <<'PY'
import os, sys
small = sys.argv[1]
for d in range(100):
    os.makedirs(os.path.join(small, f"dir{d:02d}"), exist_ok=True)
    for f in range(100):
        with open(os.path.join(small, f"dir{d:02d}", f"f{f:03d}.dat"), "wb") as fh:
            fh.write(os.urandom(4096))
PY
  touch "$BUILD/bench-small.done"
fi
bench_wine_session
# This prefix's wineserver: its working folder is named by the prefix's device and inode.
server_dir=$(stat -c 'server-%D-%i' "$WINEPREFIX" | awk -F- '{ printf "server-%s-%x", $2, $3 }')
ws=""
for p in $(pgrep -x wineserver64 || pgrep wineserver); do
  [[ $(readlink "/proc/$p/cwd") == *"$server_dir" ]] && ws=$p
done
[ -n "$ws" ] || { echo "copy-calls: the session's wineserver was not found" >&2; exit 1; }
dst="$BUILD/bench-copy-out"
for exe in "${exes[@]}"; do
  rm -rf "$dst"; sync
  strace -c -f -p "$ws" -o "$BUILD/calls-server.txt" 2>/dev/null & tracer=$!
  sleep 1
  strace -c -f -o "$BUILD/calls-program.txt" "$WINE" "$exe" copy "Z:${small//\//\\}" "Z:${dst//\//\\}" >/dev/null
  kill -INT "$tracer"; wait "$tracer" || true
  p=$(awk '$NF == "total" { print $4 }' "$BUILD/calls-program.txt")
  s=$(awk '$NF == "total" { print $4 }' "$BUILD/calls-server.txt")
  echo "$exe: program $p, wineserver $s, together $((p + s)) system calls"
done
rm -rf "$dst"
