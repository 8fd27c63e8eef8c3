#!/usr/bin/env bash
# What undo costs: Copy and Move of 10,000 files of 4 KiB (the small tree of
# bench/transfer-run.sh) with the run's journal against without it (the
# journal folder made unusable: the program then runs without one); Delete of
# 10,000 files, which keeps them, with and without; and the undo of the Move
# against the Move itself.
# With "large": Copy of the 100,000 files of bench/list-files.sh's tree with
# the journal against without, two rounds (Try records nothing).
# With "flat": Delete of 5,000 files of one folder, keeping them against not.
# Usage: bench/undo.sh [large|flat]
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
bench_build transfer_bench
exe="build/win-$KOLVAR_TEST_ARCH/transfer_bench.exe"
small="$BUILD/bench-small"
if [ ! -f "$BUILD/bench-small.done" ]; then
  /usr/bin/python3 - "$small" <<'PY'
import os, sys
for d in range(100):
    os.makedirs(os.path.join(sys.argv[1], f"dir{d:02d}"), exist_ok=True)
    for f in range(100):
        with open(os.path.join(sys.argv[1], f"dir{d:02d}", f"f{f:03d}.dat"), "wb") as fh:
            fh.write(os.urandom(4096))
PY
  touch "$BUILD/bench-small.done"
fi
bench_wine_session
win() { local p; p="Z:${1//\//\\}"; echo "$p"; }
field() { awk -v k="$1" '$1 == k { print $2 }' "$2"; }
out="$BUILD/undo-bench.out"
runs="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/Kolvar_files/runs"
journal() {  # on | off
  rm -rf "$runs"
  mkdir -p "$(dirname "$runs")"
  if [ "$1" = off ]; then touch "$runs"; fi
}
work="$BUILD/bench-undo"
fresh() { rm -rf "$work" "$work-out"; cp -r "$small" "$work"; sync; }
timed() {  # mode, dir, out dir
  "$WINE" "$exe" "$@" | tr -d '\r' >"$out" || true
  field run "$out"
}
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
declare -A best
if [ "${1:-}" = flat ]; then
  for state in off on; do
    journal "$state"; rm -rf "$work"; mkdir -p "$work/one"
    /usr/bin/python3 -c 'import sys
for f in range(5000): open(f"{sys.argv[1]}/f{f:04d}.dat", "wb").write(b"x")' "$work/one"
    sync
    best[flat-$state]=$(timed delete "$(win "$work")")
  done
  journal on
  rm -rf "$work"
  awk -v a="${best[flat-off]}" -v b="${best[flat-on]}" 'BEGIN {
    printf "Delete of 5,000 files of one folder: %.3f s deleting them, %.3f s keeping them = %.2f x\n", a, b, b / a }'
  exit 0
fi
if [ "${1:-}" = large ]; then
  bench_tree
  big_out="$BUILD/bench-tree-copy"
  for round in 1 2; do
    for state in off on; do
      journal "$state"; rm -rf "$big_out"; sync
      best[large-$state]=$(min "$(timed copy "$(win "$BENCH_TREE")" "$(win "$big_out")")" "${best[large-$state]:-}")
    done
    echo "round $round: copy of 100,000 files ${best[large-off]}/${best[large-on]}"
  done
  journal on
  rm -rf "$big_out"
  awk -v a="${best[large-off]}" -v b="${best[large-on]}" 'BEGIN {
    printf "Copy of 100,000 files: %.3f s without the journal, %.3f s with = %.2f x (target 1.1 or less)\n", a, b, b / a }'
  exit 0
fi
for round in 1 2 3; do
  for state in off on; do
    journal "$state"; fresh
    best[copy-$state]=$(min "$(timed copy "$(win "$work")" "$(win "$work-out")")" "${best[copy-$state]:-}")
    journal "$state"; fresh
    best[move-$state]=$(min "$(timed move "$(win "$work")" "$(win "$work-out")")" "${best[move-$state]:-}")
    if [ "$state" = on ]; then
      best[undo]=$(min "$(timed undo "$(win "$work-out")")" "${best[undo]:-}")
      [ -f "$work/dir00/f000.dat" ] || echo "round $round: the undo did not bring the files back" >&2
    fi
    journal "$state"; fresh
    best[delete-$state]=$(min "$(timed delete "$(win "$work")")" "${best[delete-$state]:-}")
  done
  echo "round $round: copy ${best[copy-off]}/${best[copy-on]} move ${best[move-off]}/${best[move-on]} delete ${best[delete-off]}/${best[delete-on]} undo ${best[undo]}"
done
journal on
rm -rf "$work" "$work-out"
awk -v a="${best[copy-off]}" -v b="${best[copy-on]}" -v c="${best[move-off]}" -v d="${best[move-on]}" \
    -v e="${best[delete-off]}" -v f="${best[delete-on]}" -v u="${best[undo]}" 'BEGIN {
  printf "Copy of 10,000 files:   %.3f s without the journal, %.3f s with = %.2f x (target 1.1 or less)\n", a, b, b / a
  printf "Move of 10,000 files:   %.3f s without the journal, %.3f s with = %.2f x (target 1.1 or less)\n", c, d, d / c
  printf "Delete of 10,000 files: %.3f s without, %.3f s keeping them = %.2f x (target 1 or less)\n", e, f, f / e
  printf "Undo of the Move:       %.3f s = %.2f x the Move (target 1 or less)\n", u, u / d }'
