#!/usr/bin/env bash
# How long the main window leaves a message unanswered during each long
# operation, next to the operation's time (bench/responsiveness_bench.cpp):
# List Files of 100,000 files in 1,000 folders, the counts line and the
# invert over them, a Try run over them, List Files with the mask *.jpg of one
# folder of 100,000 files and 500 subfolders, the directory chooser opened on
# that folder, and Copy of one file of 4 GiB, into an empty folder and then
# over its own copy, and the end of the fifth run after that, which forgets
# the run that kept the replaced file. Best time and worst waits of three rounds; and the
# floor: the first FindFirstFileExW call on the folder of 100,000 files,
# during which nothing can answer.
# Usage: bench/responsiveness.sh   (the trees and the 4 GiB file are kept in build/;
# the copy is removed)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
bench_build responsiveness_bench
bench_tree
bench_flat
bench_big
big="$BENCH_BIG"
out_dir="$BUILD/bench-big-out"
rm -rf "$out_dir"
mkdir -p "$out_dir"
bench_wine_session
win() { echo "Z:${1//\//\\}"; }
out="$BUILD/responsiveness.out"
for round in 1 2 3; do
  "$WINE" "build/win-$KOLVAR_TEST_ARCH/responsiveness_bench.exe" "$(win "$BENCH_TREE")" "$(win "$BENCH_FLAT")" \
    "$(win "$big")" "$(win "$out_dir")" | tr -d '\r'
done >"$out"
rm -rf "$out_dir"
grep -m2 -E '^(rows|counts:)' "$out"
worst() { awk -v k="$1" '$1 == k && $2 > m { m = $2 } END { print m + 0 }' "$2"; }
printf '%-44s %9s %18s %12s\n' operation "time (s)" "longest wait (ms)" "99th (ms)"
row() {  # key, label
  printf '%-44s %9.3f %18.1f %12.1f\n' "$2" "$(best "$1" "$out")" "$(worst "$1_max_ms" "$out")" "$(worst "$1_p99_ms" "$out")"
}
row listing "List Files, 100,000 files in 1,000 folders"
row counts "counts line (Mark All), 100,000 rows"
row invert "invert (right click on Mark All), 100,000 *"
row try "Try, 100,000 rows"
row mask_listing "List Files *.jpg, 1 folder of 100,000 files"
row chooser "chooser opened on that folder"
row big_copy "Copy of one file of 4 GiB"
row big_copy_over "the same Copy over its own copy (flushed)"
row big_forget "5 Deletes, the last forgets the 4 GiB kept"
echo "* every other row selected: 100,000 runs of rows alike"
printf 'floor: first FindFirstFileExW call on the folder of 100,000 files %.1f ms\n' "$(best flat_first_call_ms "$out")"
awk -v l="$(best listing "$out")" -v r="$(best try "$out")" 'BEGIN {
  printf "Try / listing = %.2f   (target 1 or less; longest wait target 100 ms or less)\n", r / l }'
