#!/usr/bin/env python3
"""newwizard_check.py TEST_EXE OUT_DIR [EMULATOR]

Runs the wizard session of the editor's tests (five pictures of mixed formats
and sizes made into an animation through New, in OUT_DIR) and has independent
tools read the two files it saved (app_newwizard/):
  - gifsicle --info: frame count, logical screen, loop count, every frame's
    delay and disposal; transparent.gif (as the wizard left it) has a
    transparent colour in every frame, saved.gif (transparency cleared) none;
  - ImageMagick: each frame of saved.gif at (0, 0) with the pixels of the
    picture it came from, decoded by ImageMagick from the original file and
    cut to the frame: equal for pictures of few colours; for the photo within
    the error of a palette reduction: at most REDUCED_SLACK times the mean and
    the worst channel error of ImageMagick's own Floyd-Steinberg reduction of
    the same cut to as many colours as the frame holds.
Prints what it checked and exits 1 on any difference."""
import os
import re
import shutil
import subprocess
import sys

exe, out = sys.argv[1], sys.argv[2]
emu = sys.argv[3].split() if len(sys.argv) > 3 and sys.argv[3] else []
IM = shutil.which("convert-im6.q16") or shutil.which("convert")
IDENTIFY = IM.replace("convert", "identify")
REDUCED_SLACK = 1.5
failures = []


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


os.makedirs(out, exist_ok=True)
run = subprocess.run(emu + [exe, "--test-file=newwizard_dlg",
                            "--gtest_filter=NewWizardMain.FivePicturesOfMixedFormatsBecomeAnAnimation"],
                     cwd=out, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
text = run.stdout.decode(errors="replace")
if run.returncode != 0 or "1 test, listed below" in text or "[  PASSED  ] 1 test" not in text:
    print(text[-3000:])
    sys.exit("the wizard session failed")
folder = os.path.join(out, "app_newwizard")
saved = os.path.join(folder, "saved.gif")
transparent = os.path.join(folder, "transparent.gif")

expect = {"frames": []}
for line in open(os.path.join(folder, "newwizard_expect.txt")):
    f = line.split()
    if f[0] == "size":
        expect["size"] = (int(f[1]), int(f[2]))
    elif f[0] in ("loop", "delay"):
        expect[f[0]] = int(f[1])
    elif f[0] == "frame":
        expect["frames"].append((f[1], f[2]))
n = len(expect["frames"])


# --- gifsicle --info -----------------------------------------------------------
def gifsicle_info(path, want_transparent):
    info = subprocess.run(["gifsicle", "--info", path], stdout=subprocess.PIPE, check=True).stdout.decode()
    name = os.path.basename(path)
    m = re.search(r"(\d+) images?", info)
    if not m or int(m.group(1)) != n:
        fail("%s: %s frames, expected %d" % (name, m.group(1) if m else "no", n))
    screen = re.search(r"logical screen (\d+)x(\d+)", info)
    if not screen or (int(screen.group(1)), int(screen.group(2))) != expect["size"]:
        fail("%s: logical screen %s, expected %dx%d" % ((name, screen.group(0) if screen else "none") + expect["size"]))
    loop = re.search(r"loop count (\d+)", info)
    if not loop or int(loop.group(1)) != expect["loop"]:
        fail("%s: %s, expected loop count %d" % (name, loop.group(0) if loop else "no loop", expect["loop"]))
    blocks = re.split(r"\n\s*\+ image #\d+", info)[1:]
    for i, b in enumerate(blocks):
        d = re.search(r"delay (\d+\.\d+)s", b)
        if not d or round(float(d.group(1)) * 100) != expect["delay"]:
            fail("%s: frame %d %s, expected delay %d" % (name, i, d.group(0) if d else "no delay", expect["delay"]))
        disposal = re.search(r"disposal (\w+)", b)
        if not disposal or disposal.group(1) != "background":
            fail("%s: frame %d disposal %s, expected background" % (name, i, disposal.group(1) if disposal else "none"))
        if ("transparent" in b) != want_transparent:
            fail("%s: frame %d %s a transparent colour" % (name, i, "lacks" if want_transparent else "has"))
    print("gifsicle %s: %d frames, %s, %s, delays and disposals checked" %
          (name, len(blocks), screen.group(0) if screen else "?", loop.group(0) if loop else "no loop"))


gifsicle_info(transparent, True)
gifsicle_info(saved, False)


# --- ImageMagick: pixels --------------------------------------------------------
def rgb(source, w, h, extra=()):
    r = subprocess.run([IM, source, "-crop", "%dx%d+0+0" % (w, h), "+repage"] + list(extra) +
                       ["-colorspace", "sRGB", "-type", "TrueColor", "-depth", "8", "rgb:-"],
                       stdout=subprocess.PIPE, check=True)
    return r.stdout


def errors(a, b):
    diffs = [abs(x - y) for x, y in zip(a, b)]
    return sum(diffs) / len(diffs), max(diffs)


geometry = subprocess.run([IDENTIFY, "-format", "%w %h %X %Y\n", saved], stdout=subprocess.PIPE,
                          check=True).stdout.decode().split("\n")
geometry = [g.split() for g in geometry if g.strip()]
if len(geometry) != n:
    fail("ImageMagick: %d frames, expected %d" % (len(geometry), n))
for i, (kind, src) in enumerate(expect["frames"][:len(geometry)]):
    w, h, x, y = int(geometry[i][0]), int(geometry[i][1]), geometry[i][2], geometry[i][3]
    if (x, y) != ("+0", "+0"):
        fail("frame %d (%s) at %s%s, expected +0+0" % (i, src, x, y))
    got = rgb("%s[%d]" % (saved, i), w, h)
    want = rgb(os.path.join(folder, src), w, h)
    if len(got) != w * h * 3 or len(want) != len(got):
        fail("frame %d (%s): %d bytes, reference %d, expected %d" % (i, src, len(got), len(want), w * h * 3))
        continue
    mean, worst = errors(got, want)
    if kind == "exact" and worst != 0:
        fail("frame %d (%s): pixels differ by up to %d" % (i, src, worst))
    elif kind == "reduced":
        colours = len(set(zip(got[0::3], got[1::3], got[2::3])))
        reference = rgb(os.path.join(folder, src), w, h, ["-dither", "FloydSteinberg", "-colors", str(colours)])
        ref_mean, ref_worst = errors(reference, want)
        if mean > REDUCED_SLACK * ref_mean or worst > REDUCED_SLACK * ref_worst:
            fail("frame %d (%s): mean difference %.2f, worst %d; a reduction to %d colours gives %.2f, %d" %
                 (i, src, mean, worst, colours, ref_mean, ref_worst))
        print("frame %d: %d colours; ImageMagick's reduction to as many: mean %.2f, worst %d" %
              (i, colours, ref_mean, ref_worst))
    print("frame %d: %dx%d from %s, mean difference %.2f, worst %d" % (i, w, h, src, mean, worst))

if failures:
    sys.exit(1)
print("wizard files checked: OK")
