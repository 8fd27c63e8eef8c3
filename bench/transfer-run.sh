#!/usr/bin/env bash
# Benchmarks of the transfer run.
#  1. Try over 100,000 listed rows (the tree of bench/list-files.sh) against
#     List Files of the same tree in the same process.
#  2. Copy ("Usual" copy) of 1 GB in 20 files and of 10,000 files of 4 KiB,
#     against Wine's "cmd /c copy" (large files), "xcopy /s /i /q" (small
#     files) and native "cp -r" as the floor; then the same Copy again over
#     the files it made (each replaced through a temporary file).
# Usage: bench/transfer-run.sh [try]   (try: the first part only; trees are
# kept in build/, copies removed)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
bench_build transfer_bench
exe="build/win-$KOLVAR_TEST_ARCH/transfer_bench.exe"

make_trees() {
  /usr/bin/python3 - "$BUILD" <<'PY'
import os, sys
build = sys.argv[1]
large = os.path.join(build, "bench-large")
if not os.path.exists(os.path.join(build, "bench-large.done")):
    os.makedirs(large, exist_ok=True)
    block = os.urandom(1 << 20)
    for i in range(20):
        with open(os.path.join(large, f"big{i:02d}.bin"), "wb") as fh:
            for _ in range(50):
                fh.write(block)
    open(os.path.join(build, "bench-large.done"), "w").close()
small = os.path.join(build, "bench-small")
if not os.path.exists(os.path.join(build, "bench-small.done")):
    for d in range(100):
        os.makedirs(os.path.join(small, f"dir{d:02d}"), exist_ok=True)
        for f in range(100):
            with open(os.path.join(small, f"dir{d:02d}", f"f{f:03d}.dat"), "wb") as fh:
                fh.write(os.urandom(4096))
    open(os.path.join(build, "bench-small.done"), "w").close()
PY
}
bench_tree
make_trees

bench_wine_session
win() { local p; p="Z:${1//\//\\}"; echo "$p"; }
seconds() { awk -v s="$1" -v e="$(date +%s.%N)" 'BEGIN { printf "%.3f", e - s }'; }
field() { awk -v k="$1" '$1 == k { print $2 }' "$2"; }
out="$BUILD/transfer-bench.out"

echo "== Try over 100,000 rows"
best_try=""; best_list=""
for round in 1 2 3; do
  "$WINE" "$exe" try "$(win "$BENCH_TREE")" | tr -d '\r' >"$out"
  l=$(field listing "$out"); r=$(field run "$out")
  if [ -z "$best_try" ] || awk -v a="$r" -v b="$best_try" 'BEGIN { exit !(a < b) }'; then best_try=$r; fi
  if [ -z "$best_list" ] || awk -v a="$l" -v b="$best_list" 'BEGIN { exit !(a < b) }'; then best_list=$l; fi
done
head -1 "$out"
awk -v l="$best_list" -v r="$best_try" 'BEGIN {
  printf "List Files %6.3f s\nTry run    %6.3f s\nTry / listing = %.2f   (target 1 or less)\n", l, r, r / l }'

[ "${1:-}" = try ] && exit 0

copy_round() {  # name, source dir; prints our time, ours over existing files, the Wine peer's and cp's
  local name=$1 src=$2 dst="$BUILD/bench-copy-out"
  rm -rf "$dst" "$dst-peer" "$dst-cp"; sync
  "$WINE" "$exe" copy "$(win "$src")" "$(win "$dst")" | tr -d '\r' >"$out"
  ours=$(field run "$out")
  sync
  "$WINE" "$exe" copy "$(win "$src")" "$(win "$dst")" | tr -d '\r' >"$out"
  over=$(field run "$out")
  rm -rf "$dst"; sync
  local start; start=$(date +%s.%N)
  if [ "$name" = large ]; then
    mkdir -p "$dst-peer"
    "$WINE" cmd /c copy /y "$(win "$src")\\*.*" "$(win "$dst-peer")\\" >/dev/null
  else
    "$WINE" xcopy /s /i /q "$(win "$src")" "$(win "$dst-peer")" >/dev/null
  fi
  peer=$(seconds "$start")
  rm -rf "$dst-peer"; sync
  start=$(date +%s.%N); cp -r "$src" "$dst-cp"; floor=$(seconds "$start")
  rm -rf "$dst-cp"
  echo "$ours $over $peer $floor"
}

min() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
for name in large small; do
  echo "== Copy, $name files"
  best_ours=""; best_over=""; best_peer=""; best_floor=""
  for round in 1 2 3; do
    read -r ours over peer floor < <(copy_round "$name" "$BUILD/bench-$name")
    echo "round $round: Copy run $ours s (over its own copies $over s), wine $( [ $name = large ] && echo copy || echo xcopy ) $peer s, cp -r $floor s"
    best_ours=$(min "$ours" "$best_ours"); best_over=$(min "$over" "$best_over")
    best_peer=$(min "$peer" "$best_peer"); best_floor=$(min "$floor" "$best_floor")
  done
  awk -v o="$best_ours" -v v="$best_over" 'BEGIN {
    printf "Copy over existing files %.3f s = %.2f x a Copy into an empty folder\n", v, v / o }'
  target=$( [ $name = large ] && echo "1.2 or less" || echo "0.7 or less")
  awk -v o="$best_ours" -v p="$best_peer" -v f="$best_floor" -v t="$target" 'BEGIN {
    printf "best of each: Copy run %.3f s, peer %.3f s, cp -r %.3f s\n", o, p, f
    printf "Copy run / wine peer = %.2f   (target %s); Copy run / cp -r = %.1f\n", o / p, t, o / f }'
done
