#!/usr/bin/env bash
# Benchmark of List Files on 100,000 files in 1,000 folders, against a bare
# FindFirstFileW walk and Wine's own "cmd /c dir /s /b /a-d" on the same tree.
# Usage: bench/list-files.sh   (builds what it needs; the tree is kept in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
bench_build list_bench

bench_tree
tree="$BENCH_TREE"

bench_wine_session
winpath="Z:${tree//\//\\}"

out="$BUILD/list-bench.out"
# Three rounds; the best of each figure counts (the first warms the caches).
for round in 1 2 3; do
  "$WINE" "build/win-$KOLVAR_TEST_ARCH/list_bench.exe" "$winpath" | tr -d '\r'
done >"$out"
grep -m2 -E '^(files|counts:)' "$out"
bare=$(best bare_walk "$out"); listing=$(best listing "$out"); counts=$(best counts_line "$out")
start=$(date +%s.%N)
"$WINE" cmd /c dir /s /b /a-d "$winpath" >/dev/null
dir_time=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.3f", e - s }')
awk -v b="$bare" -v l="$listing" -v c="$counts" -v d="$dir_time" 'BEGIN {
  printf "bare walk      %6.3f s\nList Files     %6.3f s   (counts line not included)\n", b, l
  printf "counts line    %6.3f s   (100,000 selected rows)\nwine cmd dir   %6.3f s\n", c, d
  printf "listing / bare walk   = %.2f   (target 1.2 or less)\n", l / b
  printf "listing / wine dir    = %.2f   (target under 0.3)\n", l / d
  printf "counts line / listing = %.2f   (target 1 or less)\n", c / l
}'
