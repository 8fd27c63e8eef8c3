#!/usr/bin/env bash
# Benchmark of the directory chooser on one directory of 100,000 files (a
# third each *.jpg, *.txt, *.dat, names in mixed case) and 500 subdirectories,
# against a bare FindFirstFileW count and Wine's own "cmd /c dir /b".
# Usage: bench/chooser.sh   (builds what it needs; the directory is kept in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
bench_build chooser_bench

bench_flat
dir="$BENCH_FLAT"

bench_wine_session
winpath="Z:${dir//\//\\}"

out="$BUILD/chooser-bench.out"
# Three rounds; the best of each figure counts (the first warms the caches).
for round in 1 2 3; do
  "$WINE" "build/win-$KOLVAR_TEST_ARCH/chooser_bench.exe" "$winpath" | tr -d '\r'
done >"$out"
grep -m1 '^entries' "$out"
bare=$(best bare_count "$out"); matching=$(best matching "$out"); opening=$(best opening "$out")
filter=$(best filter "$out"); all=$(best select_all "$out")
start=$(date +%s.%N)
"$WINE" cmd /c dir /b "$winpath" >/dev/null
dir_time=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.3f", e - s }')
awk -v b="$bare" -v m="$matching" -v o="$opening" -v f="$filter" -v a="$all" -v d="$dir_time" 'BEGIN {
  printf "bare count        %6.3f s\nmatching, sorted  %6.3f s\n", b, m
  printf "opening           %6.3f s   (the directory list and the file list filled)\n", o
  printf "filter of 2 masks %6.3f s\nCtrl+A            %6.3f s   (100,000 rows)\nwine cmd dir /b   %6.3f s\n", f, a, d
  printf "matching / bare count = %.2f\n", m / b
  printf "opening / wine dir    = %.2f\n", o / d
}'
