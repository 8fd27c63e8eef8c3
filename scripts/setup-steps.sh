# The set-up's steps as functions, sourced by scripts/setup.sh and by its test.
# apt-get, dpkg and dpkg-query are called by name, so a test puts stand-ins
# first on the PATH. Every step says what it does in one line, and a failure
# names the package and apt's reason.

SETUP_RETRIES="${SETUP_RETRIES:-3}"     # tries of apt-get update
SETUP_PAUSE="${SETUP_PAUSE:-5}"         # seconds between two tries
SUDO="${SUDO-}"

say() { echo "setup: $*"; }

# Whether the kernel runs 32-bit x86 code: the 32-bit loader runs, or, where
# it is not installed yet, the kernel was built with IA-32 emulation.
kernel_runs_32bit() {
  if [ -e /lib/ld-linux.so.2 ]; then
    /lib/ld-linux.so.2 --help >/dev/null 2>&1
    return
  fi
  local config="/boot/config-$(uname -r)"
  [ -r "$config" ] && grep -qx 'CONFIG_IA32_EMULATION=y' "$config"
}

package_installed() {  # package
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing_packages() {  # packages...: prints those not installed
  local p
  for p in "$@"; do package_installed "$p" || echo "$p"; done
}

# The last line of apt's output that says why it failed.
apt_reason() {  # output file
  local line
  line="$(grep -E '^(E|Err):' "$1" | grep -v 'Some index files failed' | tail -n 1)"
  [ -n "$line" ] || line="$(tail -n 1 "$1")"
  echo "${line:-no output}"
}

# apt-get update, tried SETUP_RETRIES times. An index that still fails is
# reported, and the set-up goes on with the indices it has: only a package
# that then cannot be installed stops it.
update_indices() {
  local try out
  out="$(mktemp)"
  for try in $(seq "$SETUP_RETRIES"); do
    say "reading the package indices (try $try of $SETUP_RETRIES)"
    if $SUDO apt-get update -q >"$out" 2>&1; then rm -f "$out"; return 0; fi
    [ "$try" -lt "$SETUP_RETRIES" ] && sleep "$SETUP_PAUSE"
  done
  grep -E '^E: Failed to fetch' "$out" | sed -E 's/^E: Failed to fetch ([^ ]+) +(.*)$/\1: \2/' |
    while read -r line; do say "index not read, going on without it: $line"; done
  grep -qE '^E: Failed to fetch' "$out" ||
    say "the package indices were not read ($(apt_reason "$out")); going on with the ones on this machine"
  rm -f "$out"
  return 0
}

install_one() {  # package: installs it, or says why not and fails
  local out
  out="$(mktemp)"
  say "installing $1"
  if $SUDO apt-get install -y -q --no-install-recommends "$1" >"$out" 2>&1; then rm -f "$out"; return 0; fi
  say "cannot install $1: $(apt_reason "$out")"
  rm -f "$out"
  return 1
}

# Installs the required packages and the optional ones. All at once first;
# where that fails, one at a time, so that the failure names its package.
# Returns 1 when a required package cannot be installed; an optional one that
# cannot be installed is reported and left out.
install_packages() {  # "required..." "optional..." (two space-separated lists)
  local required=($1) optional=($2) all=() p failed=0 out
  all=("${required[@]}" "${optional[@]}")
  [ ${#all[@]} -eq 0 ] && return 0
  out="$(mktemp)"
  say "installing ${all[*]}"
  if $SUDO apt-get install -y -q --no-install-recommends "${all[@]}" >"$out" 2>&1; then
    rm -f "$out"; return 0
  fi
  say "installing them together failed ($(apt_reason "$out")); installing one at a time"
  rm -f "$out"
  for p in "${required[@]}"; do install_one "$p" || failed=1; done
  for p in "${optional[@]}"; do
    install_one "$p" || say "$p left out: the Windows tests run the 64-bit build instead"
  done
  return $failed
}

# The whole set-up: what is missing, the i386 architecture where 32-bit code
# runs, the indices, the packages.
setup_main() {
  local required=(wine wine64 fonts-wine g++-mingw-w64-i686 g++-mingw-w64-x86-64 cmake make
                  xvfb xauth imagemagick libgtest-dev g++ clang-14 libfuzzer-14-dev
                  libclang-rt-14-dev libimage-exiftool-perl python3-mutagen id3v2)
  local optional=()
  if kernel_runs_32bit; then optional=(wine32:i386); fi
  local miss_req miss_opt
  miss_req="$(missing_packages "${required[@]}" | tr '\n' ' ')"
  miss_opt="$(missing_packages "${optional[@]}" | tr '\n' ' ')"
  [ -z "${miss_req// /}" ] && [ -z "${miss_opt// /}" ] && return 0

  if [ -n "${miss_opt// /}" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    say "adding the i386 architecture for the 32-bit Wine"
    $SUDO dpkg --add-architecture i386 || say "cannot add the i386 architecture; the 32-bit Wine is left out"
  fi
  export DEBIAN_FRONTEND=noninteractive
  update_indices
  if ! install_packages "$miss_req" "$miss_opt"; then
    say "failed: a package the build or the tests need cannot be installed (named above)"
    return 1
  fi
  say "done"
}
