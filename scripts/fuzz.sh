#!/usr/bin/env bash
# scripts/fuzz.sh NAME [SECONDS]: builds the libFuzzer target media/NAME_fuzz.cpp
# (clang 14, address and undefined sanitizers) and runs it for SECONDS
# (default 20) on fuzz/NAME-seeds and fuzz/NAME-regressions. NAME is exif or
# id3. An input that crashes or hangs it is left in build/fuzz/NAME/; copy it
# to fuzz/NAME-regressions/, where a core test replays it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1
seconds=${2:-20}
case $name in
  exif) sources="media/Exif.cpp media/byte_source.cpp text/cp1250.cpp text/text.cpp" ;;
  id3) sources="media/ID3v2.cpp media/id3_text.cpp media/id3_frames.cpp media/tag_text.cpp text/cp1250.cpp text/text.cpp media/byte_source.cpp transfer/text_ops.cpp" ;;
  *) echo "unknown fuzz target: $name" >&2; exit 2 ;;
esac
out=build/fuzz/$name
mkdir -p "$out/corpus"
# shellcheck disable=SC2086
clang++-14 -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I. \
  "media/${name}_fuzz.cpp" $sources -o "$out/fuzz"
# Inputs stay within 4 KiB, the size libFuzzer picks for a corpus of small
# files; a larger regression input is cut there, and the core test replays it whole.
if "$out/fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=5 -rss_limit_mb=2048 -artifact_prefix="$out/" \
     "$out/corpus" "fuzz/$name-seeds" "fuzz/$name-regressions" >"$out/fuzz.log" 2>&1; then
  echo "$name fuzzing: no failure in ${seconds} s ($(grep -o 'Done [0-9]* runs' "$out/fuzz.log" | tail -1))"
else
  tail -40 "$out/fuzz.log"
  echo "$name fuzzing found a failure; the input is in $out/ (crash-*, timeout-*, oom-*)"
  exit 1
fi
