#!/usr/bin/env python3
"""optimize_check.py TEST_EXE OUT_DIR [EMULATOR]

Has the editor's test executable run the optimisation wizard, with every
optimisation on, on a set of animations it makes (OUT_DIR/files/NAME.gif ->
NAME_opt.gif, with the sizes the wizard showed in sizes.txt). Then:
  - ImageMagick composes both (-coalesce): the optimised animation must show
    the same pixels for the same time (frames that show nothing new may be
    folded into the one before, their delay added to it);
  - the optimised size the wizard showed is the size of the optimised file;
  - prints each file's size, the optimised size and gifsicle -O2's size of the
    same original.
Exits 1 on any difference."""
import os
import shutil
import subprocess
import sys

exe, out = sys.argv[1], sys.argv[2]
emu = sys.argv[3].split() if len(sys.argv) > 3 and sys.argv[3] else []
IM = shutil.which("convert-im6.q16") or shutil.which("convert")
IDENTIFY = shutil.which("identify-im6.q16") or shutil.which("identify")
failures = []


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


os.makedirs(out, exist_ok=True)
files = os.path.join(out, "files")
shutil.rmtree(files, ignore_errors=True)
env = dict(os.environ, LARKSPIRE_OPTIMIZE_CHECK_DIR="files")
run = subprocess.run(emu + [exe, "--test-file=optimize_dlg", "--gtest_filter=*CheckFilesOriginalAndOptimised"],
                     cwd=out, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
text = run.stdout.decode(errors="replace")
if run.returncode != 0 or "[  PASSED  ] 1 test" not in text:
    print(text[-3000:])
    sys.exit("the wizard run failed")


def timeline(path):
    """The composed frames as (RGBA bytes with transparent pixels blanked, delay), equal neighbours folded."""
    info = subprocess.run([IDENTIFY, "-format", "%T %W %H\n", path], stdout=subprocess.PIPE,
                          check=True).stdout.decode().split("\n")
    rows = [line.split() for line in info if line.strip()]
    delays = [int(r[0]) for r in rows]
    w, h = int(rows[0][1]), int(rows[0][2])
    raw = subprocess.run([IM, path, "-coalesce", "-depth", "8", "rgba:-"], stdout=subprocess.PIPE,
                         check=True).stdout
    size = w * h * 4
    if len(raw) != size * len(delays):
        fail("%s: %d bytes of pixels for %d frames of %dx%d" % (path, len(raw), len(delays), w, h))
        return [], 0
    frames = []
    for i, delay in enumerate(delays):
        px = bytearray(raw[i * size:(i + 1) * size])
        for p in range(0, size, 4):
            if px[p + 3] == 0:
                px[p:p + 4] = b"\0\0\0\0"
        px = bytes(px)
        if frames and frames[-1][0] == px:
            frames[-1] = (px, frames[-1][1] + delay)
        else:
            frames.append((px, delay))
    return frames, len(delays)


print("%-26s %10s %10s %10s %10s %8s %8s" % ("file", "original", "wizard", "optimised", "gifsicle", "frames", "opt"))
for line in open(os.path.join(files, "sizes.txt")):
    name, current, shown = line.rstrip("\n").split("\t")
    orig = os.path.join(files, name + ".gif")
    opt = os.path.join(files, name + "_opt.gif")
    a, na = timeline(orig)
    b, nb = timeline(opt)
    if len(a) != len(b):
        fail("%s: %d distinct composed frames, optimised %d" % (name, len(a), len(b)))
    for i, ((pa, da), (pb, db)) in enumerate(zip(a, b)):
        if pa != pb:
            diff = sum(1 for p in range(0, len(pa), 4) if pa[p:p + 4] != pb[p:p + 4])
            fail("%s: composed frame %d differs in %d pixels" % (name, i + 1, diff))
        if da != db:
            fail("%s: composed frame %d shows %d/100 s, optimised %d/100 s" % (name, i + 1, da, db))
    opt_size = os.path.getsize(opt)
    if current != "{:,} bytes".format(os.path.getsize(orig)):
        fail("%s: the wizard showed %s as the current size, the original has %d bytes"
             % (name, current, os.path.getsize(orig)))
    if shown != "{:,} bytes".format(opt_size):
        fail("%s: the wizard showed %s, the optimised file has %d bytes" % (name, shown, opt_size))
    gs = os.path.join(out, name + "_gifsicle.gif")
    subprocess.run(["gifsicle", "-O2", orig, "-o", gs], check=True)
    print("%-26s %10d %10s %10d %10d %8d %8d" % (name, os.path.getsize(orig), current.split()[0], opt_size,
                                                os.path.getsize(gs), na, nb))

if failures:
    sys.exit(1)
print("optimised animations compose to the same pixels")
