#!/usr/bin/env python3
"""avi_check.py TEST_EXE OUT_DIR [EMULATOR]

AVI files made by ffmpeg (uncompressed 8-, 16- and 24-bit, Cinepak, Video-1)
and by the RLE8 writer below, at several frame rates, are imported by the
editor (TEST_EXE --test-file=avi, filter AviCheck.*, the folder named by
AVI_CHECK_DIR), which saves each result as a GIF or writes the message it
showed. Then, per file:
  - a kind the platform decodes: frame count = the stream's sample count
    (ffprobe), every delay (gifsicle --info) = round(100 * scale / rate) from
    the file's stream header, and the frames' pixels (ImageMagick -coalesce)
    against ffmpeg's decoding of the same AVI: mean absolute error per frame
    within the 216-colour palette's dithering error (RAW_BOUND, BLUR_BOUND);
  - a kind it does not decode: one of the import's failure messages.
Prints what it checked and exits 1 on any difference."""
import os
import re
import shutil
import struct
import subprocess
import sys

exe, out = sys.argv[1], sys.argv[2]
emu = sys.argv[3].split() if len(sys.argv) > 3 and sys.argv[3] else []
IM = shutil.which("convert-im6.q16") or shutil.which("convert")
W, H, FRAMES = 64, 48, 8
failures = []

# The 216-colour palette has 6 levels a channel, 51 apart: nearest-colour
# error is at most 25.5 a channel and about 12.75 on average over smooth
# content; Floyd-Steinberg spreads each pixel's error onto its neighbours, so a
# pixel may be off by up to a step while the local mean follows the source.
# So: the raw mean absolute error of a frame stays below half a step (25.5),
# and after a 5 x 5 box blur on both sides, which averages 25 pixels' dither
# errors away, below 3 (6 % of a step; measured here: at most 1.9). The
# pattern is made so that faults show far above that: a frame read from the
# neighbouring sample is off by about 22 blurred, a flipped frame by about 38,
# a frame shifted by one row or one column by 6 or more, a wrong palette by
# tens.
RAW_BOUND = 25.5
BLUR_BOUND = 3.0

# The failure messages of the import (the application adds a full stop).
FAILURES = {
    "Failed to open AVI file.", "Failed to open AVI stream.", "Failed to get AVI stream info.",
    "Failed to get AVI stream format size.", "Failed to get AVI stream format.", "Failed to start AVI stream.",
    "Failed to start AVI decompression.", "Failed to decompress AVI frame.",
}


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


def run(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=True, **kw).stdout


# --- RLE8 writer (ffmpeg 5.1 has no encoder for it) -----------------------------
def rle8_rows(pixels):
    """BI_RLE8 data of bottom-up rows: encoded runs, absolute runs for
    stretches of differing bytes, end of line, end of bitmap."""
    outb = bytearray()
    for y in range(H - 1, -1, -1):
        row = pixels[y * W:(y + 1) * W]
        x = 0
        while x < W:
            run_len = 1
            while x + run_len < W and run_len < 255 and row[x + run_len] == row[x]:
                run_len += 1
            if run_len >= 3:
                outb += bytes([run_len, row[x]])
                x += run_len
                continue
            # Absolute mode: 3 to 255 bytes up to the next run of 3, padded to a word.
            end = x
            while end < W and end - x < 255:
                if end + 2 < W and row[end] == row[end + 1] == row[end + 2]:
                    break
                end += 1
            n = end - x
            if n < 3:
                for v in row[x:end]:
                    outb += bytes([1, v])
            else:
                outb += bytes([0, n]) + bytes(row[x:end])
                if n % 2:
                    outb.append(0)
            x = end
        outb += b"\x00\x00"
    outb += b"\x00\x01"
    return bytes(outb)


def chunk(cid, data):
    return cid + struct.pack("<I", len(data)) + data + (b"\x00" if len(data) % 2 else b"")


def write_rle8_avi(path, rate, scale):
    palette = b"".join(bytes([(i * 7) % 256, (i * 3) % 256, i, 0]) for i in range(256))
    samples = []
    for f in range(FRAMES):
        px = bytearray(W * H)
        for y in range(H):
            for x in range(W):
                if (x - 4 * f) % 24 < 8 and y > 10:
                    px[y * W + x] = 200 + f           # a moving bar (runs)
                elif y < 6:
                    px[y * W + x] = (x * 5 + f) % 256  # a ramp (absolute runs)
                else:
                    px[y * W + x] = (y * 4) % 256     # flat rows
        samples.append(rle8_rows(px))
    bih = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 1, W * H, 0, 0, 256, 0) + palette
    strh = (b"vids" + b"mrle" + struct.pack("<IHHIIIIIIIIhhhh", 0, 0, 0, 0, scale, rate, 0, FRAMES, W * H,
                                            0xFFFFFFFF, 0, 0, 0, W, H))
    avih = struct.pack("<IIIIIIIIII16x", int(1e6 * scale / rate), 0, 0, 0x10, FRAMES, 0, 1, W * H, W, H)
    hdrl = chunk(b"LIST", b"hdrl" + chunk(b"avih", avih) +
                 chunk(b"LIST", b"strl" + chunk(b"strh", strh) + chunk(b"strf", bih)))
    movi, idx = b"", b""
    for s in samples:
        idx += b"00dc" + struct.pack("<III", 0x10, 4 + len(movi), len(s))
        movi += chunk(b"00dc", s)
    body = b"AVI " + hdrl + chunk(b"LIST", b"movi" + movi) + chunk(b"idx1", idx)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


# --- The files ------------------------------------------------------------------
# name -> (ffmpeg codec options or None for the RLE8 writer, rate text, decoded here)
KINDS = [
    ("raw8_r5", ["-c:v", "rawvideo", "-pix_fmt", "pal8"], "5"),
    ("raw8_r25", ["-c:v", "rawvideo", "-pix_fmt", "pal8"], "25"),
    ("raw16_r10", ["-c:v", "rawvideo", "-pix_fmt", "rgb555le"], "10"),
    ("raw16_r12.5", ["-c:v", "rawvideo", "-pix_fmt", "rgb555le"], "25/2"),
    ("raw24_r10", ["-c:v", "rawvideo", "-pix_fmt", "bgr24"], "10"),
    ("raw24_r25", ["-c:v", "rawvideo", "-pix_fmt", "bgr24"], "25"),
    ("cinepak_r10", ["-c:v", "cinepak"], "10"),
    ("cinepak_r12.5", ["-c:v", "cinepak"], "25/2"),
    ("msvideo1_r5", ["-c:v", "msvideo1"], "5"),
    ("msvideo1_r25", ["-c:v", "msvideo1"], "25"),
    ("rle8_r10", None, (10, 1)),
    ("rle8_r12.5", None, (25, 2)),
    ("huffyuv_r10", ["-c:v", "huffyuv"], "10"),
]
# Kinds the platform's AVIFile does not decode must fail with one of the
# import's messages. Under Wine 8 all the kinds above decode (msrle32, iccvid
# and msvidc32 are its built-in decoders) but HuffYUV, which has none.
UNDECODED = {"huffyuv"}

folder = os.path.join(out, "avi_check")
shutil.rmtree(folder, ignore_errors=True)
os.makedirs(folder)
for name, opts, rate in KINDS:
    path = os.path.join(folder, name + ".avi")
    if opts is None:
        write_rle8_avi(path, *rate)
    else:
        # The test pattern with its hues turned from frame to frame, so that
        # neighbouring frames differ everywhere.
        run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=%dx%d:rate=%s" % (W, H, rate),
             "-frames:v", str(FRAMES), "-vf", "hue=H=n*0.8"] + opts + [path])
with open(os.path.join(folder, "avi_list.txt"), "w") as f:
    f.write("\n".join(k[0] for k in KINDS) + "\n")

env = dict(os.environ, AVI_CHECK_DIR="avi_check")
r = subprocess.run(emu + [exe, "--test-file=avi", "--gtest_filter=AviCheck.*"], cwd=out, env=env,
                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
if r.returncode != 0:
    print(r.stdout.decode(errors="replace")[-3000:])
    sys.exit("the import run failed")


def stream_rate(path):
    data = open(path, "rb").read()
    i = data.index(b"strh") + 8
    scale, rate = struct.unpack_from("<II", data, i + 20)
    return rate, scale


def frames_rgb(cmd, n_bytes):
    raw = run(cmd)
    return [raw[i:i + n_bytes] for i in range(0, len(raw), n_bytes)]


def box_blur(px):
    """5 x 5 box blur of an RGB frame (edges clamped), as floats."""
    outp = [0.0] * (W * H * 3)
    for y in range(H):
        for x in range(W):
            for c in range(3):
                s = 0
                for dy in range(-2, 3):
                    yy = min(max(y + dy, 0), H - 1)
                    base = yy * W * 3 + c
                    for dx in range(-2, 3):
                        xx = min(max(x + dx, 0), W - 1)
                        s += px[base + xx * 3]
                outp[(y * W + x) * 3 + c] = s / 25.0
    return outp


def mae(a, b):
    return sum(abs(p - q) for p, q in zip(a, b)) / len(a)


for name, _opts, _rate in KINDS:
    avi = os.path.join(folder, name + ".avi")
    gif = os.path.join(folder, name + ".gif")
    err = os.path.join(folder, name + ".err")
    if name.split("_")[0] in UNDECODED:
        text = open(err).read().strip() if os.path.exists(err) else None
        if text not in FAILURES:
            fail("%s: expected an import failure message, got %r (gif written: %s)" % (name, text,
                                                                                          os.path.exists(gif)))
        else:
            print("%s: not decoded here, the import says %r" % (name, text))
        continue
    if not os.path.exists(gif):
        fail("%s: no GIF saved (%s)" % (name, open(err).read().strip() if os.path.exists(err) else "no message"))
        continue
    samples = int(run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets", "-show_entries",
                       "stream=nb_read_packets", "-of", "csv=p=0", avi]).decode().strip())
    info = run(["gifsicle", "--info", gif]).decode()
    m = re.search(r"(\d+) images?", info)
    count = int(m.group(1)) if m else -1
    if count != samples:
        fail("%s: %d frames, the stream has %d samples" % (name, count, samples))
    rate, scale = stream_rate(avi)
    want = (scale * 100 * 2 + rate) // (2 * rate)
    delays = [round(float(d) * 100) for d in re.findall(r"delay ([\d.]+)s", info)]
    if len(delays) != count or any(d != want for d in delays):
        fail("%s: delays %s, expected %d each (rate %d / scale %d)" % (name, delays, want, rate, scale))
    size = W * H * 3
    ref = frames_rgb(["ffmpeg", "-v", "error", "-i", avi, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], size)
    got = frames_rgb([IM, gif, "-coalesce", "-depth", "8", "rgb:-"], size)
    if len(ref) != len(got):
        fail("%s: ffmpeg decodes %d frames, the GIF has %d" % (name, len(ref), len(got)))
        continue
    worst_raw = worst_blur = 0.0
    for i, (a, b) in enumerate(zip(ref, got)):
        raw_err = mae(a, b)
        blur_err = mae(box_blur(a), box_blur(b))
        worst_raw, worst_blur = max(worst_raw, raw_err), max(worst_blur, blur_err)
        if raw_err > RAW_BOUND or blur_err > BLUR_BOUND:
            fail("%s frame %d: mean error %.2f (bound %.1f), blurred %.2f (bound %.1f)" %
                 (name, i, raw_err, RAW_BOUND, blur_err, BLUR_BOUND))
    print("%s: %d frames, delay %d, worst mean error %.2f, blurred %.2f" % (name, count, want, worst_raw,
                                                                             worst_blur))

if failures:
    sys.exit("%d failures" % len(failures))
print("all AVI imports checked")
