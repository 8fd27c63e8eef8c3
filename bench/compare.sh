#!/usr/bin/env bash
# Two builds in one Wine session, in turn, three rounds: List Files against
# the bare walk (list_bench), Try against List Files (transfer_bench try) and
# the longest waits (responsiveness_bench), on the trees of list-files.sh and
# responsiveness.sh. Prints the best time of each build and the best and
# worst of its longest waits and 99th percentiles.
# Usage: bench/compare.sh OTHER_BUILD_DIR   (a build/win-<arch> folder of
# another checkout, its bench executables built; this checkout's are built here)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
other=${1:?usage: bench/compare.sh OTHER_BUILD_DIR}
for t in list_bench transfer_bench responsiveness_bench; do bench_build "$t"; done
bench_tree
bench_flat
bench_big
big="$BENCH_BIG"
bench_wine_session
win() { echo "Z:${1//\//\\}"; }
out="$BUILD/compare.out"
: >"$out"
for round in 1 2 3; do
  for b in other this; do
    d=$other; [ $b = this ] && d="build/win-$KOLVAR_TEST_ARCH"
    echo "round $round, $b build, load $(cut -d' ' -f1-3 /proc/loadavg)"
    "$WINE" "$d/list_bench.exe" "$(win "$BENCH_TREE")" | tr -d '\r' | sed "s/^/$b list_/" >>"$out"
    "$WINE" "$d/transfer_bench.exe" try "$(win "$BENCH_TREE")" | tr -d '\r' | sed "s/^/$b try_/" >>"$out"
    od="$BUILD/bench-big-out"
    rm -rf "$od"
    mkdir -p "$od"
    "$WINE" "$d/responsiveness_bench.exe" "$(win "$BENCH_TREE")" "$(win "$BENCH_FLAT")" "$(win "$big")" "$(win "$od")" |
      tr -d '\r' | sed "s/^/$b /" >>"$out"
    rm -rf "$od"
  done
done
awk '
  NF == 3 && $3 ~ /^[0-9.]+$/ { k = $1 " " $2; v = $3 + 0
    if (!(k in lo) || v < lo[k]) lo[k] = v
    if (!(k in hi) || v > hi[k]) hi[k] = v }
  END {
    for (i = 1; i <= 2; i++) {
      b = i == 1 ? "other" : "this"
      printf "== %s build\n", b
      printf "List Files / bare walk       %.3f s / %.3f s = %.2f\n", lo[b " list_listing"], lo[b " list_bare_walk"], lo[b " list_listing"] / lo[b " list_bare_walk"]
      printf "Try / List Files (counts)    %.3f s / %.3f s = %.2f\n", lo[b " try_run"], lo[b " try_listing"], lo[b " try_run"] / lo[b " try_listing"]
      n = split("listing counts invert try mask_listing chooser big_copy big_copy_over", op, " ")
      for (j = 1; j <= n; j++)
        printf "%-14s %7.3f s   longest wait %6.1f-%6.1f ms   99th %6.1f-%6.1f ms\n", op[j], lo[b " " op[j]],
          lo[b " " op[j] "_max_ms"], hi[b " " op[j] "_max_ms"], lo[b " " op[j] "_p99_ms"], hi[b " " op[j] "_p99_ms"]
      printf "floor (first FindFirstFileExW call) %.1f-%.1f ms\n", lo[b " flat_first_call_ms"], hi[b " flat_first_call_ms"]
    }
  }' "$out"
