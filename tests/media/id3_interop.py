#!/usr/bin/python3
"""Tags written by TID3v2 read back by mutagen, and tags written by id3v2 and
mutagen read by TID3v2. Usage: id3_interop.py WINE-RUN ID3_TOOL.EXE"""
import os
import random
import subprocess
import sys
import tempfile

from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TCON, COMM, TYER, TDRC

wine_run, tool = sys.argv[1], sys.argv[2]
failures = []
checks = 0


def check(what, got, want):
    global checks
    checks += 1
    if got != want:
        failures.append(f"{what}: got {got!r}, want {want!r}")


def win(path):
    return "Z:" + path.replace("/", "\\")


def run_tool(*args):
    return subprocess.run([wine_run, tool, *args], capture_output=True, text=True, check=False)


def read_tool(path):
    r = run_tool("read", win(path))
    if r.returncode != 0:
        failures.append(f"read {path}: exit {r.returncode}")
        return {}
    return dict(line.split("=", 1) for line in r.stdout.replace("\r", "").splitlines() if "=" in line)


def tag_size(data):
    s = data[6:10]
    return 10 + (s[0] << 21 | s[1] << 14 | s[2] << 7 | s[3])


tmp = tempfile.mkdtemp(prefix="kolvar_id3_")
random.seed(7)
audio = bytes([0xFF, 0xFB, 0x90, 0x44]) + bytes(random.randrange(256) for _ in range(5000))

# 1. What TID3v2 writes, mutagen reads.
cases = [
    ("Song", "Band", "Album", "7", "Rock", "nice one", "2001"),
    ("Only title", "", "", "0", "", "", ""),
    ("", "", "", "0", "", "", ""),
    ("T" * 189, "A", "B", "255", "Jazz", "c", "1999"),
]
for i, (title, artist, album, track, genre, comment, year) in enumerate(cases):
    path = os.path.join(tmp, f"write{i}.mp3")
    with open(path, "wb") as f:
        f.write(audio)
    r = run_tool("write", win(path), title, artist, album, track, genre, comment, year)
    check(f"write{i} exit", r.returncode, 0)
    data = open(path, "rb").read()
    check(f"write{i} audio behind the tag", data[tag_size(data):], audio)
    check(f"write{i} version", data[3], 3)
    tags = ID3(path, translate=False)
    text = lambda fid: str(tags[fid].text[0]) if fid in tags else ""
    check(f"write{i} title", text("TIT2"), title)
    check(f"write{i} artist", text("TPE1"), artist)
    check(f"write{i} album", text("TALB"), album)
    check(f"write{i} track", text("TRCK"), track if track != "0" else "")
    check(f"write{i} genre", text("TCON"), genre)
    check(f"write{i} year", text("TYER"), year)
    comms = tags.getall("COMM")
    check(f"write{i} comment", comms[0].text[0] if comms else "", comment)
    if comms:
        check(f"write{i} comment language", comms[0].lang, "eng")

# 2. What id3v2 and mutagen write, TID3v2 reads.
def fresh(name):
    path = os.path.join(tmp, name)
    with open(path, "wb") as f:
        f.write(audio)
    return path

p = fresh("by-id3v2.mp3")
subprocess.run(["id3v2", "-2", "-t", "Title X", "-a", "Artist Y", "-A", "Album Z", "-T", "5/12",
                "-c", "a comment", "-y", "2004", "--TCON", "Blues", p], check=True, capture_output=True)
fields = read_tool(p)
for key, want in [("MajorVersion", "3"), ("Title", "Title X"), ("Artist", "Artist Y"),
                  ("Album", "Album Z"), ("Track", "5"), ("Comment", "a comment"), ("Year", "2004"),
                  ("Genre", "Blues")]:
    check(f"id3v2 {key}", fields.get(key), want)

for version in (3, 4):
    p = fresh(f"by-mutagen-{version}.mp3")
    tags = ID3()
    tags.add(TIT2(encoding=0, text="Mutagen title"))
    tags.add(TPE1(encoding=0, text="Mutagen artist"))
    tags.add(TALB(encoding=0, text="Mutagen album"))
    tags.add(TRCK(encoding=0, text="9/10"))
    tags.add(TCON(encoding=0, text="Pop"))
    tags.add(COMM(encoding=0, lang="eng", desc="", text="from mutagen"))
    tags.add(TYER(encoding=0, text="1987") if version == 3 else TDRC(encoding=0, text="1987-06-05"))
    tags.save(p, v2_version=version)
    fields = read_tool(p)
    for key, want in [("MajorVersion", str(version)), ("Title", "Mutagen title"),
                      ("Artist", "Mutagen artist"), ("Album", "Mutagen album"), ("Track", "9"),
                      ("Genre", "Pop"), ("Comment", "from mutagen"), ("Year", "1987")]:
        check(f"mutagen v2.{version} {key}", fields.get(key), want)

# 3. A link in place of the temporary file is never written through nor
# deleted (under Wine deleting a link deletes its target): the write is refused.
victim = os.path.join(tmp, "victim.bin")
with open(victim, "wb") as f:
    f.write(b"precious")
p = fresh("linked.mp3")
os.symlink(victim, p + "~")
r = run_tool("write", win(p), "Linked", "", "", "0", "", "", "")
check("link exit", r.returncode, 1)
check("link target untouched", open(victim, "rb").read(), b"precious")
check("linked file untouched", open(p, "rb").read(), audio)
check("link kept", os.path.islink(p + "~"), True)

for f in failures:
    print("FAIL", f)
print(f"{checks - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
