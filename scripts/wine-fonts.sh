#!/bin/sh
# Gives a Wine prefix the two fonts the program's window is drawn with, as on
# Windows: "MS Sans Serif" in its Central European bitmap face (sserifee.fon)
# and Marlett, which draws the caption buttons. Wine ships both, but 64-bit
# Wine does not always read its own font folder, and without them the
# captions are set in a wider face and clipped.
#   sh wine-fonts.sh        for the prefix in WINEPREFIX (default ~/.wine)
# WINE names the wine command (default: wine).
set -eu
prefix="${WINEPREFIX:-$HOME/.wine}"
wine="${WINE:-wine}"
fonts=""
for d in /usr/share/wine/fonts /usr/lib/wine/fonts /usr/local/share/wine/fonts /opt/wine-*/share/wine/fonts; do
  if [ -f "$d/sserifee.fon" ] && [ -f "$d/marlett.ttf" ]; then fonts="$d"; break; fi
done
if [ -z "$fonts" ]; then
  echo "wine-fonts.sh: Wine's fonts (sserifee.fon, marlett.ttf) not found; install Wine's fonts (Debian, Ubuntu: fonts-wine)" >&2
  exit 1
fi
if [ ! -d "$prefix/drive_c/windows" ]; then
  WINEPREFIX="$prefix" "$wine" wineboot -i </dev/null >/dev/null 2>&1 || true
fi
mkdir -p "$prefix/drive_c/windows/Fonts"
cp "$fonts/sserifee.fon" "$fonts/marlett.ttf" "$prefix/drive_c/windows/Fonts/"
for key in 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Fonts'; do
  for pair in "MS Sans Serif=sserifee.fon" "Marlett (TrueType)=marlett.ttf"; do
    WINEPREFIX="$prefix" "$wine" reg add "$key" /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f \
      </dev/null >/dev/null 2>&1 || { echo "wine-fonts.sh: cannot write the registry of $prefix" >&2; exit 1; }
  done
done
echo "wine-fonts.sh: $prefix has the fonts of the program's window"
