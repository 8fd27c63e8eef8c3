#!/usr/bin/env bash
# Memory of the rows: the program's private bytes and working set before List
# Files of 100,000 files whose paths are 95 characters long, after it, and
# after Try (rows "source -> destination", 199 characters), read by the
# process from the kernel. Prints the bytes each row costs beyond its text
# (2 bytes a character; 1 in a build older than UTF-16 rows).
# Usage: bench/memory.sh [EXE]   (EXE: another build's memory_bench.exe, run on
# the same tree; builds what it needs; the tree is kept in build/)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
exe="${1:-build/win-$KOLVAR_TEST_ARCH/memory_bench.exe}"
[ -n "${1:-}" ] || bench_build memory_bench

# 100,000 files in 1,000 folders, every path (as the list shows it, Z:\...)
# padded to 95 characters.
tree="$BUILD/bench-memory"
winpath="Z:${tree//\//\\}"
if [ ! -f "$tree.done" ]; then
  rm -rf "$tree"
  /usr/bin/python3 - "$tree" "$winpath" <<'PY'
import os, sys
root, winroot = sys.argv[1], sys.argv[2]
words = "_recorded_live_in_the_small_hall_of_the_old_town_with_friends_and_family"
for a in range(10):
    for b in range(100):
        d = os.path.join(root, f"collection_{a:02d}", f"album_{b:03d}")
        os.makedirs(d)
        for f in range(100):
            shown = len(winroot) + len(f"\\collection_{a:02d}\\album_{b:03d}\\track_{f:03d}.dat")
            name = f"track_{f:03d}{words[:max(0, 95 - shown)]}.dat"
            open(os.path.join(d, name), "wb").close()
open(root + ".done", "w").close()
PY
fi

bench_wine_session
# The program waits at each point until the script has read its memory from
# /proc: private bytes = RssAnon + VmSwap, working set = VmRSS.
out="$BUILD/memory-bench.out"; figures="$BUILD/memory-bench.kernel"; wait_file="$BUILD/memory-bench.wait"
rm -f "$wait_file" "$figures"
"$WINE" "$exe" "$winpath" "Z:${wait_file//\//\\}" >"$out" &
pid=$!
limit=$((SECONDS + ${MEMORY_BENCH_TIMEOUT:-900}))
for point in before listed tried; do
  until grep -q "^$point " "$out"; do
    if [ $SECONDS -gt $limit ] || ! kill -0 "$pid" 2>/dev/null; then
      echo "no figure after '$point' within ${MEMORY_BENCH_TIMEOUT:-900} s"; kill "$pid" 2>/dev/null || true; break 2
    fi
    sleep 0.2
  done
  awk -v p="$point" '$1 == "RssAnon:" { a = $2 } $1 == "VmSwap:" { s = $2 } $1 == "VmRSS:" { r = $2 }
    END { print p, (a + s) * 1024, r * 1024 }' "/proc/$pid/status" >>"$figures"
  touch "$wait_file"
done
wait "$pid" || true
tr -d '\r' <"$out" | grep -E "^(rows|try_rows)"
tr -d '\r' <"$out" | awk -v figures="$figures" '
  BEGIN { while ((getline line < figures) > 0) { split(line, f, " "); p[f[1]] = f[2]; w[f[1]] = f[3]; taken[f[1]] = 1 } }
  $1 == "rows" { rows = $2; unit = $4 }
  $1 == "before" || $1 == "listed" || $1 == "tried" { c[$1] = $7 }
  END {
    printf "%-20s %12s %12s %12s\n", "", "before", "List Files", "Try"
    printf "%-20s %12.1f %12.1f %12.1f\n", "private bytes, MB", p["before"] / 1e6, p["listed"] / 1e6, p["tried"] / 1e6
    printf "%-20s %12.1f %12.1f %12.1f\n", "working set, MB", w["before"] / 1e6, w["listed"] / 1e6, w["tried"] / 1e6
    printf "%-20s %12s %12.1f %12.1f\n", "characters a row", "", c["listed"] / rows, c["tried"] / rows
    split("listed tried", k, " ")
    for (i = 1; i <= 2; i++) {
      if (!(k[i] in taken)) continue
      text = unit * c[k[i]] / rows
      printf "%-10s a row: private %.0f B, working set %.0f B, text %.0f B; beyond the text: private %.0f B, working set %.0f B   (target 64 or less)\n",
        k[i] == "listed" ? "List Files" : "Try", (p[k[i]] - p["before"]) / rows, (w[k[i]] - w["before"]) / rows, text,
        (p[k[i]] - p["before"]) / rows - text, (w[k[i]] - w["before"]) / rows - text
    }
  }'
