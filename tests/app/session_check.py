#!/usr/bin/env python3
"""session_check.py TEST_EXE OUT_DIR [EMULATOR]

Runs the editor's end-to-end session (TEST_EXE --test-file=session, in OUT_DIR)
and has independent tools read the file it saved:
  - gifsicle --info: the frame count, each frame's delay and disposal, the
    loop count, as session_expect.txt lists them;
  - ImageMagick: each frame's pixels equal the picture it came from (a frame
    of the opened GIF, the inserted PNG, the inserted grey JPEG), each decoded
    by ImageMagick from the original file.
Prints what it checked and exits 1 on any difference."""
import os
import re
import shutil
import subprocess
import sys

exe, out = sys.argv[1], sys.argv[2]
emu = sys.argv[3].split() if len(sys.argv) > 3 and sys.argv[3] else []
IM = shutil.which("convert-im6.q16") or shutil.which("convert")
failures = []


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


os.makedirs(out, exist_ok=True)
run = subprocess.run(emu + [exe, "--test-file=session"], cwd=out, stdout=subprocess.PIPE,
                     stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
if run.returncode != 0:
    print(run.stdout.decode(errors="replace")[-3000:])
    sys.exit("the session test failed")
folder = os.path.join(out, "app_session")
saved = os.path.join(folder, "saved.gif")

expect = {"frames": []}
for line in open(os.path.join(folder, "session_expect.txt")):
    f = line.split()
    if f[0] == "loop":
        expect["loop"] = int(f[1])
    elif f[0] == "size":
        expect["size"] = (int(f[1]), int(f[2]))
    elif f[0] == "frame":
        expect["frames"].append((int(f[1]), f[2], f[3]))

# --- gifsicle --info -----------------------------------------------------------
info = subprocess.run(["gifsicle", "--info", saved], stdout=subprocess.PIPE, check=True).stdout.decode()
m = re.search(r"(\d+) images?", info)
count = int(m.group(1)) if m else -1
if count != len(expect["frames"]):
    fail("gifsicle: %d frames, expected %d" % (count, len(expect["frames"])))
loop = re.search(r"loop count (\d+)", info)
if not loop or int(loop.group(1)) != expect["loop"]:
    fail("gifsicle: loop %s, expected count %d" % (loop.group(0) if loop else "none", expect["loop"]))
blocks = re.split(r"\n\s*\+ image #\d+", info)[1:]
for i, (delay, disposal, _src) in enumerate(expect["frames"]):
    if i >= len(blocks):
        break
    b = blocks[i]
    d = re.search(r"delay (\d+\.\d+)s", b)
    got_delay = round(float(d.group(1)) * 100) if d else 0
    got_disposal = re.search(r"disposal (\w+)", b)
    got_disposal = got_disposal.group(1) if got_disposal else "none"
    if got_delay != delay:
        fail("gifsicle: frame %d delay %d, expected %d" % (i, got_delay, delay))
    if got_disposal != disposal:
        fail("gifsicle: frame %d disposal %s, expected %s" % (i, got_disposal, disposal))
print("gifsicle: %d frames, %s, delays and disposals checked" % (count, loop.group(0) if loop else "no loop"))

# --- ImageMagick: identify and pixels -----------------------------------------
ident = subprocess.run([IM.replace("convert", "identify"), "-format", "%T %W %H\n", saved],
                       stdout=subprocess.PIPE).stdout.decode().split("\n")
ident = [l.split() for l in ident if l.strip()]
if [int(l[0]) for l in ident] != [f[0] for f in expect["frames"]]:
    fail("ImageMagick: delays %s" % [l[0] for l in ident])


def rgb(path_index):
    r = subprocess.run([IM, path_index, "-colorspace", "sRGB", "-type", "TrueColor", "-depth", "8", "rgb:-"],
                       stdout=subprocess.PIPE, check=True)
    return r.stdout


w, h = expect["size"]
for i, (_d, _disp, src) in enumerate(expect["frames"]):
    got = rgb("%s[%d]" % (saved, i))
    if src.startswith("gif:"):
        want = rgb("%s[%s]" % (os.path.join(folder, "input.gif"), src[4:]))
    else:
        want = rgb(os.path.join(folder, "insert." + src))
    if len(got) != w * h * 3 or len(want) != len(got):
        fail("frame %d: %d bytes, reference %d, expected %d" % (i, len(got), len(want), w * h * 3))
        continue
    worst = max(abs(a - b) for a, b in zip(got, want))
    if worst != 0:
        fail("frame %d (%s): pixels differ by up to %d" % (i, src, worst))
print("ImageMagick: %d frames of %dx%d compared with their sources" % (len(expect["frames"]), w, h))

if failures:
    sys.exit(1)
print("session file checked: OK")
