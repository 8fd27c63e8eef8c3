#!/usr/bin/env bash
# Builds the release package build/dist/Kolvar_files-<version>-windows.zip:
#   Kolvar_files.exe      the 32-bit program, for every Windows, 32-bit or 64-bit
#   Kolvar_files-x64.exe  the same program built for 64-bit Windows
#   README.txt            the user's guide in brief (ASCII, CR LF)
#   wine-fonts.sh         gives a Wine prefix the window's fonts, for Linux users
# all in one folder Kolvar_files-<version>. The version is KOLVAR_VERSION of
# app/version.h, the one the caption shows.
# Then checks the zip as a user gets it: unpacked into a fresh folder, each
# exe must be a Windows GUI program of its architecture that needs only
# Windows' own DLLs, and the 64-bit exe, started under Wine on a virtual
# display, must show its main window and end when it is closed. The 32-bit
# exe is started too where the kernel runs 32-bit code.
# It uses the same Wine prefix and session as ./run and ./test: run one at a time.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/setup.sh"
# Both program builds are wanted whatever this machine runs, and the check
# starts the 64-bit one: with x86_64, build.sh makes both and common.sh
# chooses 64-bit Wine.
export KOLVAR_TEST_ARCH=x86_64
source "$here/common.sh"
"$here/build.sh" --program-only >/dev/null
PY=/usr/bin/python3

version="$(sed -n 's/^#define KOLVAR_VERSION "\([^"]*\)"$/\1/p' "$ROOT/app/version.h")"
[ -n "$version" ] || { echo "dist.sh: no KOLVAR_VERSION in app/version.h" >&2; exit 1; }
name="Kolvar_files-$version"
dist="$BUILD/dist"
zip="$dist/$name-windows.zip"
stage="$dist/$name"
rm -rf "$stage" "$zip"
mkdir -p "$stage"

# The exes without their debugging information.
i686-w64-mingw32-strip -o "$stage/Kolvar_files.exe" "$BUILD/win-i686/Kolvar_files.exe"
x86_64-w64-mingw32-strip -o "$stage/Kolvar_files-x64.exe" "$BUILD/win-x86_64/Kolvar_files.exe"
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' "$ROOT/docs/README.txt" >"$stage/README.txt"
cp "$ROOT/scripts/wine-fonts.sh" "$stage/wine-fonts.sh"

"$PY" - "$zip" "$stage" "$name" <<'EOF'
import os, sys, zipfile
zip_path, stage, name = sys.argv[1:]
with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as z:
    for entry in ("Kolvar_files.exe", "Kolvar_files-x64.exe", "README.txt", "wine-fonts.sh"):
        info = zipfile.ZipInfo.from_file(os.path.join(stage, entry), name + "/" + entry)
        info.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(stage, entry), "rb") as f:
            z.writestr(info, f.read())
EOF
rm -rf "$stage"
echo "Package: $zip"

# ---- the check, on what the zip holds
check="$(mktemp -d "$BUILD/dist-check.XXXXXX")"
session=""
cleanup() {
  [ -z "$session" ] || "$here/wine-session.sh" stop
  rm -rf "$check"
}
trap cleanup EXIT

"$PY" - "$zip" "$check" "$name" <<'EOF'
import struct, sys, zipfile
zip_path, into, name = sys.argv[1:]
expected = {name + "/Kolvar_files.exe", name + "/Kolvar_files-x64.exe", name + "/README.txt",
            name + "/wine-fonts.sh"}
with zipfile.ZipFile(zip_path) as z:
    names = set(z.namelist())
    if names != expected:
        sys.exit("dist.sh: the zip holds %s" % sorted(names))
    for info in z.infolist():
        print("  %10d  %s" % (info.file_size, info.filename))
    z.extractall(into)

def pe(path):
    data = open(path, "rb").read(4096)
    at = struct.unpack_from("<I", data, 0x3C)[0]
    if data[:2] != b"MZ" or data[at:at + 4] != b"PE\0\0":
        sys.exit("dist.sh: %s is no PE file" % path)
    machine = struct.unpack_from("<H", data, at + 4)[0]
    optional = at + 24
    magic, = struct.unpack_from("<H", data, optional)
    subsystem, = struct.unpack_from("<H", data, optional + 68)
    return machine, magic, subsystem

for exe, want, label in (("Kolvar_files.exe", (0x14C, 0x10B, 2), "PE32, Intel 386, Windows GUI"),
                         ("Kolvar_files-x64.exe", (0x8664, 0x20B, 2), "PE32+, x86-64, Windows GUI")):
    got = pe("%s/%s/%s" % (into, name, exe))
    if got != want:
        sys.exit("dist.sh: %s: machine %#x, magic %#x, subsystem %d" % ((exe,) + got))
    print("  %s: %s" % (exe, label))

text = open("%s/%s/README.txt" % (into, name), "rb").read()
if any(b > 127 for b in text):
    sys.exit("dist.sh: README.txt is not plain ASCII")
if text.count(b"\n") == 0 or text.count(b"\n") != text.count(b"\r\n") or text.count(b"\r") != text.count(b"\r\n"):
    sys.exit("dist.sh: README.txt does not end every line with CR LF")
print("  README.txt: ASCII, %d lines, CR LF" % text.count(b"\r\n"))

script = open("%s/%s/wine-fonts.sh" % (into, name), "rb").read()
mode = zipfile.ZipFile(zip_path).getinfo(name + "/wine-fonts.sh").external_attr >> 16
if b"\r" in script or not script.startswith(b"#!/bin/sh") or not mode & 0o100:
    sys.exit("dist.sh: wine-fonts.sh is not an executable shell script with LF line ends")
print("  wine-fonts.sh: shell script, LF, mode %o" % (mode & 0o777))
EOF

# Only Windows' own DLLs: nothing of the compiler's runtime is left to find.
for pair in i686:Kolvar_files.exe x86_64:Kolvar_files-x64.exe; do
  arch=${pair%%:*} exe=${pair#*:}
  dlls="$("$arch-w64-mingw32-objdump" -p "$check/$name/$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | sort -fu | tr '\n' ' ' | sed 's/ $//')"
  for dll in $dlls; do
    case "${dll,,}" in
      kernel32.dll|user32.dll|gdi32.dll|comctl32.dll|shell32.dll|msvcrt.dll) ;;
      *) echo "dist.sh: $exe needs $dll" >&2; exit 1 ;;
    esac
  done
  echo "  $exe imports: $dlls"
done

# Starts an exe in a folder of its own (its base directory), waits for the
# main window, closes it and waits for the process to end with code 0.
start_and_close() {  # wine, exe, probe
  local wine=$1 exe=$2 probe=$3 base="$check/base-$(basename "$2" .exe)"
  mkdir -p "$base"
  (cd "$base" && exec "$wine" "$exe" </dev/null >/dev/null 2>&1) &
  local pid=$! shown=""
  for _ in 1 2 3; do
    if "$wine" "$probe" wait-main </dev/null >/dev/null 2>&1; then shown=1; break; fi
  done
  if [ -z "$shown" ]; then
    kill "$pid" 2>/dev/null || true
    echo "dist.sh: $(basename "$exe") showed no main window" >&2
    return 1
  fi
  "$wine" "$probe" close-main </dev/null >/dev/null 2>&1
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    echo "dist.sh: $(basename "$exe") did not end when closed" >&2
    return 1
  fi
  local code=0
  wait "$pid" || code=$?
  [ "$code" -eq 0 ] || { echo "dist.sh: $(basename "$exe") ended with code $code" >&2; return 1; }
}

KOLVAR_OWN_DISPLAY=1 "$here/wine-session.sh" start
session=1
export DISPLAY="$(cat "$BUILD/display")"
start_and_close "$WINE" "$check/$name/Kolvar_files-x64.exe" "$BUILD/win-x86_64/kolvar_probe.exe"
echo "  Kolvar_files-x64.exe: started under 64-bit Wine, main window shown, closed, exit code 0"
if kernel_runs_32bit && package_installed wine32:i386; then
  (unset WINELOADER; start_and_close /usr/bin/wine "$check/$name/Kolvar_files.exe" "$BUILD/win-i686/kolvar_probe.exe")
  echo "  Kolvar_files.exe: started under 32-bit Wine, main window shown, closed, exit code 0"
else
  echo "  Kolvar_files.exe: not started, this machine runs no 32-bit Wine (checked by its header only)"
fi
echo "Checked: $zip"
