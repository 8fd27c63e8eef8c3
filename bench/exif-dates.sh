#!/usr/bin/env bash
# Benchmark: the EXIF date of 10,000 JPEG files (copies of three small
# camera-like files, both byte orders) read through TExif under Wine, against
# one exiftool process (-fast2 -s3 -ModifyDate, tag 0x0132) on the same files.
# Usage: bench/exif-dates.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/lib.sh
bench_build exif_bench

dir="$BUILD/bench-exif"
if [ ! -f "$dir/.done" ]; then
  rm -rf "$dir"
  mkdir -p "$dir"
  convert -size 160x120 plasma:fractal -quality 85 "$dir/base.jpeg"
  /usr/bin/python3 - "$dir" <<'PY'
import os, struct, sys
d = sys.argv[1]
base = open(os.path.join(d, "base.jpeg"), "rb").read()[2:]  # without its start marker

def app1(be, date, make, model):
    e = ">" if be else "<"
    entries0 = [(0x010F, 2, make + b"\0"), (0x0110, 2, model + b"\0"), (0x0112, 3, 1),
                (0x011A, 5, (72, 1)), (0x011B, 5, (72, 1)), (0x0131, 2, b"Firmware 1.0\0"),
                (0x0132, 2, date + b"\0"), (0x8769, 4, None)]
    entries1 = [(0x829A, 5, (1, 125)), (0x829D, 5, (28, 10)), (0x8822, 3, 2), (0x8827, 3, 200),
                (0x9003, 2, date + b"\0"), (0x9004, 2, date + b"\0"), (0x9201, 10, (7, 1)),
                (0x9202, 5, (30, 10)), (0x9207, 3, 5), (0x9209, 3, 1), (0xA002, 4, 160), (0xA003, 4, 120)]
    ifd0_at = 8
    exif_at = ifd0_at + 2 + 12 * len(entries0) + 4
    data_at = exif_at + 2 + 12 * len(entries1) + 4
    data = b""
    def ifd(entries):
        nonlocal data
        out = struct.pack(e + "H", len(entries))
        for tag, typ, v in entries:
            if v is None:
                out += struct.pack(e + "HHII", tag, 4, 1, exif_at)
            elif typ == 2:
                out += struct.pack(e + "HHII", tag, 2, len(v), data_at + len(data)); data += v
            elif typ in (5, 10):
                out += struct.pack(e + "HHII", tag, typ, 1, data_at + len(data)); data += struct.pack(e + "II", *v)
            elif typ == 3:
                out += struct.pack(e + "HHIHH", tag, 3, 1, v, 0)
            else:
                out += struct.pack(e + "HHII", tag, 4, 1, v)
        return out + b"\0\0\0\0"
    body = (b"MM\0*" if be else b"II*\0") + struct.pack(e + "I", 8)
    body += ifd(entries0)
    body += ifd(entries1)
    body += data
    payload = b"Exif\0\0" + body
    return b"\xff\xe1" + struct.pack(">H", len(payload) + 2) + payload

variants = [app1(False, b"2004:05:06 12:34:56", b"Canon", b"PowerShot A80"),
            app1(True, b"2010:11:12 08:09:10", b"NIKON CORPORATION", b"NIKON D70"),
            app1(False, b"2016:07:08 18:19:20", b"Panasonic", b"DMC-FZ8")]
for i in range(10000):
    with open(os.path.join(d, f"img{i:05d}.jpg"), "wb") as fh:
        fh.write(b"\xff\xd8" + variants[i % 3] + base)
os.remove(os.path.join(d, "base.jpeg"))
open(os.path.join(d, ".done"), "w").close()
PY
fi

bench_wine_session
winpath="Z:${dir//\//\\}"
for round in 1 2 3; do
  "$WINE" "build/win-$KOLVAR_TEST_ARCH/exif_bench.exe" "$winpath" | tr -d '\r'
done >"$BUILD/exif-bench.out"
grep -m1 '^files' "$BUILD/exif-bench.out"
ours=$(awk '$1 == "exif_reads" && (m == "" || $2 < m) { m = $2 } END { print m }' "$BUILD/exif-bench.out")
exiftool -fast2 -s3 -ModifyDate "$dir" >/dev/null  # warms the caches
start=$(date +%s.%N)
dates=$(exiftool -fast2 -s3 -ModifyDate "$dir" 2>/dev/null | grep -c ':')
theirs=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN { printf "%.3f", e - s }')
awk -v o="$ours" -v t="$theirs" -v n="$dates" 'BEGIN {
  printf "TExif under Wine  %6.3f s\nexiftool          %6.3f s   (%d dates)\n", o, t, n
  printf "exiftool / TExif = %.1f   (target 5 or more)\n", t / o
}'
