#!/usr/bin/env bash
# How long the main window leaves a message unanswered during List Files of
# 100,000 files in 1,000 folders and during a Try run over them, next to the
# listing and Try times (bench/responsiveness_bench.cpp). Best time and worst
# waits of three rounds.
# Usage: bench/responsiveness.sh   (the tree is that of bench/list-files.sh, kept in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
bench_build responsiveness_bench
bench_tree
bench_wine_session
out="$BUILD/responsiveness.out"
for round in 1 2 3; do
  "$WINE" "build/win-$KOLVAR_TEST_ARCH/responsiveness_bench.exe" "Z:${BENCH_TREE//\//\\}" | tr -d '\r'
done >"$out"
worst() { awk -v k="$1" '$1 == k && $2 > m { m = $2 } END { print m + 0 }' "$2"; }
awk -v l="$(best listing "$out")" -v r="$(best run "$out")" \
    -v lm="$(worst listing_max_ms "$out")" -v lp="$(worst listing_p99_ms "$out")" \
    -v rm="$(worst run_max_ms "$out")" -v rp="$(worst run_p99_ms "$out")" 'BEGIN {
  printf "List Files %6.3f s   longest unanswered %6.1f ms, 99th percentile %6.1f ms\n", l, lm, lp
  printf "Try run    %6.3f s   longest unanswered %6.1f ms, 99th percentile %6.1f ms\n", r, rm, rp
  printf "Try / listing = %.2f   (target 1.3 or less; unanswered target 100 ms or less)\n", r / l }'
