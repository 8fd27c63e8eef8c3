#!/usr/bin/python3
"""Tags written by TID3v2 read back by mutagen, and tags written by id3v2 and
mutagen read by TID3v2. Usage: id3_interop.py WINE-RUN ID3_TOOL.EXE"""
import os
import random
import subprocess
import sys
import tempfile

from mutagen.id3 import (ID3, TIT2, TPE1, TALB, TRCK, TCON, COMM, TYER, TDRC, TCOM, TENC, TCOP,
                         TLAN, WXXX)

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
    return subprocess.run([wine_run, tool, *args], capture_output=True, check=False)


def read_tool(path):
    """The fields as the program reads them; it prints its own text, Windows-1250."""
    r = run_tool("read", win(path))
    if r.returncode != 0:
        failures.append(f"read {path}: exit {r.returncode}")
        return {}
    out = r.stdout.decode("cp1250").replace("\r", "")
    return dict(line.split("=", 1) for line in out.splitlines() if "=" in line)


def old_tag(frames):
    """A tag as every version of the program writes plain ASCII: encoding 0, no terminator."""
    body = b""
    for fid, text in frames:
        data = b"\0" + text.encode("ascii")
        body += fid.encode() + len(data).to_bytes(4, "big") + b"\0\0" + data
    s = len(body)
    return b"ID3\x03\0\0" + bytes([s >> 21 & 0x7F, s >> 14 & 0x7F, s >> 7 & 0x7F, s & 0x7F]) + body


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
    # Plain ASCII is written byte for byte as it always was.
    frames = [(fid, t) for fid, t in [("TIT2", title), ("TPE1", artist), ("TALB", album),
                                      ("TRCK", track if track != "0" else ""), ("TYER", year),
                                      ("TCON", genre), ("COMM", "eng\0" + comment if comment else "")] if t]
    check(f"write{i} bytes", data[:tag_size(data)], old_tag(frames))

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

# 3. Tags of today's taggers: UTF-16 (v2.3) and UTF-8 (v2.4) texts read as
# text; a tag fill keeps the other fields so that they read back the same;
# Czech folder and file names reach every reader with the same letters.
kept = {"TYER": "2004", "TCON": "Dance", "TCOM": "Dvořák", "TENC": "LAME \u017dluť", "TCOP": "© Šárka",
        "TLAN": "ces"}
for version, encoding in ((3, 1), (4, 3)):
    folder = os.path.join(tmp, f"Čechomor{version}", "Živě")
    os.makedirs(folder)
    p = os.path.join(folder, "Píseň.mp3")
    with open(p, "wb") as f:
        f.write(audio)
    tags = ID3()
    tags.add(TIT2(encoding=encoding, text="Přítel"))
    tags.add(TPE1(encoding=encoding, text="Žalman"))
    tags.add(COMM(encoding=encoding, lang="ces", desc="popis", text="Ještě"))
    tags.add(WXXX(encoding=encoding, desc="odkaz", url="http://example.cz/é"))
    for fid, text in kept.items():
        if not (version == 4 and fid == "TYER"):
            tags.add(globals()[fid](encoding=encoding, text=text))
    tags.save(p, v2_version=version)
    fields = read_tool(p)
    for key, want in [("Title", "Přítel"), ("Artist", "Žalman"), ("Comment", "Ještě"),
                      ("Composer", "Dvořák"), ("Encoder", "LAME Žluť"), ("Rights", "© Šárka"),
                      ("Link", "http://example.cz/é"), ("Genre", "Dance")]:
        check(f"mutagen v2.{version} encoding {encoding} {key}", fields.get(key), want)
    r = run_tool("fill", win(p))
    check(f"fill v2.{version} exit", r.returncode, 0)
    data = open(p, "rb").read()
    check(f"fill v2.{version} audio behind the tag", data[tag_size(data):], audio)
    back = ID3(p, translate=False)
    text = lambda fid: str(back[fid].text[0]) if fid in back else ""
    check(f"fill v2.{version} title", text("TIT2"), "Píseň")
    check(f"fill v2.{version} artist", text("TPE1"), f"Čechomor{version}")
    check(f"fill v2.{version} album", text("TALB"), "Živě")
    for fid, want in kept.items():
        if not (version == 4 and fid == "TYER"):
            check(f"fill v2.{version} kept {fid}", text(fid), want)
    links = back.getall("WXXX")
    check(f"fill v2.{version} kept link", links[0].url if links else "", "http://example.cz/é")

# 4. A link in place of the temporary file is never written through nor
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
