#!/usr/bin/env bash
# Builds the EXIF walker's libFuzzer target (clang 14, address and undefined
# sanitizers) and runs it for SECONDS (default 20) on the seeds. An input
# that crashes or hangs it is left in build/fuzz/; copy it to
# fuzz/exif-regressions/, where a core test replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
out=build/fuzz
mkdir -p "$out/corpus"
clang++-14 -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I. \
  media/exif_fuzz.cpp media/Exif.cpp media/byte_source.cpp -o "$out/exif_fuzz"
if "$out/exif_fuzz" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
     -artifact_prefix="$out/" "$out/corpus" fuzz/exif-seeds fuzz/exif-regressions \
     >"$out/exif_fuzz.log" 2>&1; then
  echo "EXIF fuzzing: $(grep -c . <(ls "$out/corpus")) corpus inputs, no failure in ${seconds} s ($(grep -o 'Done [0-9]* runs' "$out/exif_fuzz.log" | tail -1))"
else
  tail -40 "$out/exif_fuzz.log"
  echo "EXIF fuzzing found a failure; the input is in $out/ (crash-*, timeout-*, oom-*)"
  exit 1
fi
