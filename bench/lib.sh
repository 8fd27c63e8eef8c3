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

# The smallest figure KEY of the "KEY seconds" lines in FILE.
best() { awk -v k="$1" '$1 == k && (m == "" || $2 < m) { m = $2 } END { print m }' "$2"; }
