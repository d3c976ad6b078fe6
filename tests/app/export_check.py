#!/usr/bin/env python3
"""export_check.py TEST_EXE OUT_DIR [EMULATOR]

Runs the frame export's file test (TEST_EXE --test-file=exporter_dlg, filtered
to WritesEveryFormatForIndependentReaders) with EXPORT_CHECK_DIR naming OUT_DIR,
then has ImageMagick read every file it wrote (export_expect.txt: file,
reference PPM of the frame, check) and compares the pixels:
  exact    - every pixel equals the frame's (GIF in the frame's colours, BMP);
  mono     - a 1-bit picture, black and white only, each source colour always
             giving the same one, a clearly dark colour black and a clearly
             light one white;
  jpegQ    - the mean error against the frame is at most that of ImageMagick's
             own JPEG of the frame at quality Q (same chroma sampling), with a
             small allowance;
  grayQ    - the same against the frame's luma (Rec. 601), one component.
Prints what it checked and exits 1 on any difference."""
import os
import shutil
import subprocess
import sys

exe, out = sys.argv[1], sys.argv[2]
emu = sys.argv[3].split() if len(sys.argv) > 3 and sys.argv[3] else []
IM = shutil.which("convert-im6.q16") or shutil.which("convert")
IDENTIFY = IM.replace("convert", "identify")
failures = []


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


os.makedirs(out, exist_ok=True)
env = dict(os.environ)
env["EXPORT_CHECK_DIR"] = "Z:" + os.path.abspath(out).replace("/", "\\")
run = subprocess.run(emu + [exe, "--test-file=exporter_dlg",
                            "--gtest_filter=*WritesEveryFormatForIndependentReaders"],
                     cwd=out, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                     stdin=subprocess.DEVNULL)
if run.returncode != 0:
    print(run.stdout.decode(errors="replace")[-3000:])
    sys.exit("the export test failed")


def read_ppm(path):
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    assert fields[0] == b"P6"
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def im_rgb(path):
    """ImageMagick's decoding of the file's first picture: width, height, RGB bytes."""
    size = subprocess.run([IDENTIFY, "-format", "%w %h", path + "[0]"], stdout=subprocess.PIPE,
                          check=True).stdout.decode().split()
    pixels = subprocess.run([IM, path + "[0]", "-depth", "8", "rgb:-"], stdout=subprocess.PIPE,
                            check=True).stdout
    return int(size[0]), int(size[1]), pixels


def luma(rgb):
    return bytes((r * 77 + g * 151 + b * 28) >> 8 for r, g, b in zip(rgb[0::3], rgb[1::3], rgb[2::3]))


def mean_error(a, b):
    return sum(abs(x - y) for x, y in zip(a, b)) / max(len(a), 1)


def im_jpeg_error(ref_path, quality, gray):
    """Mean error of ImageMagick's own JPEG of the reference at the quality."""
    tmp = os.path.join(out, "im_q%d%s.jpg" % (quality, "g" if gray else ""))
    args = [IM, ref_path, "-quality", str(quality), "-sampling-factor", "2x2"]
    if gray:
        args[2:2] = ["-grayscale", "Rec601Luma"]
    subprocess.run(args + [tmp], check=True)
    _, _, ref = read_ppm(ref_path)
    _, _, got = im_rgb(tmp)
    return mean_error(luma(got) if gray else got, luma(ref) if gray else ref)


checked = 0
for line in open(os.path.join(out, "export_expect.txt")):
    name, ref_name, check = line.split()
    path, ref_path = os.path.join(out, name), os.path.join(out, ref_name)
    if not os.path.exists(path):
        fail("%s was not written" % name)
        continue
    rw, rh, ref = read_ppm(ref_path)
    w, h, got = im_rgb(path)
    if (w, h) != (rw, rh):
        fail("%s: %dx%d, the frame is %dx%d" % (name, w, h, rw, rh))
        continue
    checked += 1
    if check == "exact":
        if got != ref:
            bad = next(i for i in range(len(ref)) if got[i] != ref[i]) // 3
            fail("%s: pixel (%d,%d) differs from the frame" % (name, bad % w, bad // w))
    elif check == "mono":
        depth = subprocess.run([IDENTIFY, "-format", "%z", path], stdout=subprocess.PIPE).stdout.decode()
        if depth.strip() != "1":
            fail("%s: depth %s, not 1 bit" % (name, depth))
        mapping = {}
        for i in range(0, len(got), 3):
            px = got[i:i + 3]
            if px not in (b"\0\0\0", b"\xff\xff\xff"):
                fail("%s: pixel %s is neither black nor white" % (name, px.hex()))
                break
            if mapping.setdefault(ref[i:i + 3], px) != px:
                fail("%s: one colour of the frame became both black and white" % name)
                break
        for colour, px in mapping.items():
            y = luma(colour)[0]
            if abs(y - 128) > 40 and px != (b"\xff\xff\xff" if y > 128 else b"\0\0\0"):
                fail("%s: colour %s became %s" % (name, colour.hex(), px.hex()))
    elif check.startswith("jpeg") or check.startswith("gray"):
        gray = check.startswith("gray")
        quality = int(check[4:])
        ours = mean_error(luma(got) if gray else got, luma(ref) if gray else ref)
        theirs = im_jpeg_error(ref_path, quality, gray)
        print("%s: mean error %.2f, ImageMagick's own at quality %d: %.2f" % (name, ours, quality, theirs))
        if ours > theirs * 1.25 + 0.5:
            fail("%s: mean error %.2f, more than quality %d gives (%.2f)" % (name, ours, quality, theirs))
        if gray and (got[0::3] != got[1::3] or got[1::3] != got[2::3]):
            fail("%s: not gray" % name)
    else:
        fail("unknown check %s" % check)

print("ImageMagick read %d exported files" % checked)
if checked < 21:
    fail("only %d files checked" % checked)
sys.exit(1 if failures else 0)
