# Sourced by the benchmark scripts, from the checkout's root.
source scripts/common.sh

# Builds the program and the benchmark executable TARGET.
bench_build() {
  scripts/build.sh >/dev/null
  cmake --build "build/win-$KOLVAR_TEST_ARCH" -j2 --target "$1" >/dev/null
}

# A Wine session on a display of its own, stopped when the script ends.
bench_wine_session() {
  KOLVAR_OWN_DISPLAY=1 scripts/wine-session.sh start
  trap 'scripts/wine-session.sh stop' EXIT
  export DISPLAY="$(cat "$BUILD/display")"
}

# Makes a tree once and keeps it: the Python script on standard input makes
# DIR (its first argument; ARGS follow) unless an earlier run finished it.
# Usage: bench_make_once DIR [ARGS...] <<'PY' ... PY
bench_make_once() {
  local dir="$1"
  if [ -f "$dir/.done" ]; then cat >/dev/null; return; fi
  rm -rf "$dir"
  /usr/bin/python3 - "$@"
  touch "$dir/.done"
}

# The tree of 100,000 files in 1,000 folders that List Files is measured on,
# made once and kept: BENCH_TREE.
BENCH_TREE="$BUILD/bench-tree"
bench_tree() {
  bench_make_once "$BENCH_TREE" <<'PY'
import os, sys
root = sys.argv[1]
for a in range(10):
    for b in range(100):
        d = os.path.join(root, f"top{a:02d}", f"sub{b:03d}")
        os.makedirs(d)
        for f in range(100):
            with open(os.path.join(d, f"file{f:03d}.dat"), "wb") as fh:
                fh.write(b"x" * ((a * 7 + b * 3 + f) % 500))
PY
}

# One folder of 100,000 files (a third each *.jpg, *.txt, *.dat, names in
# mixed case) and 500 subfolders, made once and kept: BENCH_FLAT.
BENCH_FLAT="$BUILD/bench-flat"
bench_flat() {
  bench_make_once "$BENCH_FLAT" <<'PY'
import os, sys
root = sys.argv[1]
os.makedirs(root)
ext = ["jpg", "txt", "dat"]
for f in range(100000):
    name = f"{'Img' if f % 2 else 'img'}_{(f * 7919) % 100000:05d}.{ext[f % 3]}"
    open(os.path.join(root, name), "wb").close()
for d in range(500):
    os.makedirs(os.path.join(root, f"Folder{d:03d}"))
PY
}

# One file of 4 GiB of random bytes, made once and kept: BENCH_BIG/big.bin.
BENCH_BIG="$BUILD/bench-big"
bench_big() {
  [ -f "$BENCH_BIG.done" ] && return
  rm -rf "$BENCH_BIG"
  mkdir -p "$BENCH_BIG"
  /usr/bin/python3 - "$BENCH_BIG/big.bin" <<'PY'
import os, sys
block = os.urandom(1 << 20)
with open(sys.argv[1], "wb") as fh:
    for _ in range(4096):
        fh.write(block)
PY
  touch "$BENCH_BIG.done"
}

# The smallest figure KEY of the "KEY seconds" lines in FILE.
best() { awk -v k="$1" '$1 == k && (m == "" || $2 < m) { m = $2 } END { print m }' "$2"; }
