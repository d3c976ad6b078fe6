#!/usr/bin/env python3
"""fmt_interop.py TEST_EXE CORPUS_DIR OUT_DIR [EMULATOR]

Conformance and interoperability of the JPEG, PNG and JPEG-2000 filters with
independent tools:
  1. builds a corpus: the codecs' own test pictures (CORPUS_DIR, from the
     Debian source packages) and files made here by cjpeg, ImageMagick, netpbm
     and opj_compress from ImageMagick's and netpbm's built-in pictures;
  2. decodes every corpus file with djpeg / pngtopnm / opj_decompress and with
     our filters (TEST_EXE --gtest_filter=FmtCodecInterop.*), and compares: JPEG
     within 1 per channel, the others exactly; a file the reference refuses
     must be refused by us too;
  3. has our writers write every source picture in every kind they make, and
     checks each file with pngcheck / djpeg / opj_decompress / identify and
     compares the pixels (lossless kinds exactly).
Prints what it checked and exits 1 on any difference."""
import os
import shutil
import subprocess
import sys

exe, corpus, out = sys.argv[1], sys.argv[2], sys.argv[3]
emu = sys.argv[4].split() if len(sys.argv) > 4 and sys.argv[4] else []
IM = "/usr/bin/convert-im6.q16"
ID = "/usr/bin/identify-im6.q16"

failures = []
counts = {}


def count(key):
    counts[key] = counts.get(key, 0) + 1


def fail(msg):
    failures.append(msg)
    print("FAIL:", msg)


def run(args, **kw):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def read_pnm(path):
    """(width, height, channels, maxval, samples) of a binary PBM/PGM/PPM."""
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < (3 if data[:2] == b"P4" else 4):
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            while data[pos:pos + 1] not in (b"\n", b""):
                pos += 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    pos += 1
    magic = fields[0]
    w, h = int(fields[1]), int(fields[2])
    if magic == b"P4":
        row = (w + 7) // 8
        s = []
        for y in range(h):
            for x in range(w):
                s.append(0 if data[pos + y * row + x // 8] >> (7 - x % 8) & 1 else 1)
        return w, h, 1, 1, s
    maxval = int(fields[3])
    ch = 3 if magic == b"P6" else 1
    body = data[pos:]
    if maxval < 256:
        s = list(body[: w * h * ch])
    else:
        s = [body[2 * i] << 8 | body[2 * i + 1] for i in range(w * h * ch)]
    return w, h, ch, maxval, s


def to_rgb8(pnm, deep_high_byte=True):
    """Samples as 8-bit RGB: 16-bit by the high byte (or scaled), small maxvals scaled."""
    w, h, ch, maxval, s = pnm
    if maxval == 65535 and deep_high_byte:
        s = [v >> 8 for v in s]
    elif maxval != 255:
        s = [v * 255 // maxval for v in s]
    if ch == 1:
        s = [v for v in s for _ in range(3)]
    return w, h, s


def compare(ours_path, ref, tolerance, what):
    w, h, mine = to_rgb8(read_pnm(ours_path))
    rw, rh, rs = ref
    if (w, h) != (rw, rh):
        fail(f"{what}: size {w}x{h}, reference {rw}x{rh}")
        return False
    worst = max((abs(a - b) for a, b in zip(mine, rs)), default=0)
    if worst > tolerance:
        fail(f"{what}: pixels differ by up to {worst}")
        return False
    return True


# --- 1. corpus and sources ----------------------------------------------------
shutil.rmtree(out, ignore_errors=True)
for d in ("in", "out", "src", "enc", "ref", "tmp"):
    os.makedirs(os.path.join(out, d))
src = os.path.join(out, "src")
tmp = os.path.join(out, "tmp")
built_ins = {
    "rose": ["rose:"],
    "logo": ["logo:", "-resize", "40%"],
    "granite": ["granite:"],
    "gradient": ["-size", "97x61", "gradient:red-blue"],
    "plasma": ["-seed", "7", "-size", "75x45", "plasma:"],
    "thin": ["-size", "33x1", "gradient:white-black"],
    "dot": ["-size", "1x1", "xc:orange"],
}
for name, args in built_ins.items():
    subprocess.run([IM] + args + ["-strip", "-type", "TrueColor", "-depth", "8", "ppm:" + os.path.join(src, name + ".ppm")],
                   check=True)
# netpbm's own patterns.
with open(os.path.join(src, "ramp.ppm"), "wb") as f:
    ramp = run(["pgmramp", "-diagonal", "40", "30"]).stdout
    f.write(run(["pgmtoppm", "rgb:ff/80/00"], input=ramp).stdout)
with open(os.path.join(src, "tartan.ppm"), "wb") as f:
    f.write(run(["ppmpat", "-tartan", "-color", "rgb:20/40/c0,rgb:e0/e0/10,rgb:ff/00/00", "50", "37"]).stdout)

inp = os.path.join(out, "in")


def add(path, name):
    shutil.copy(path, os.path.join(inp, name))


# The codecs' own test pictures.
for sub, prefix in (("png/suite", "suite_"), ("png/testpngs", "testpngs_"), ("png/crashers", "crasher_"),
                    ("jpeg", "turbo_")):
    d = os.path.join(corpus, sub)
    if os.path.isdir(d):
        for f in sorted(os.listdir(d)):
            if f.endswith((".png", ".jpg")):
                add(os.path.join(d, f), prefix + f)
    else:
        print(f"note: no {d}")

for name in sorted(os.listdir(src)):
    base = name[:-4]
    ppm = os.path.join(src, name)
    pgm = os.path.join(tmp, base + ".pgm")
    with open(pgm, "wb") as f:
        f.write(run(["ppmtopgm", ppm]).stdout)
    # JPEG through cjpeg.
    for tag, args, source in (("base", [], ppm), ("q95_444", ["-quality", "95", "-sample", "1x1"], ppm),
                              ("prog", ["-progressive"], ppm), ("grey", ["-grayscale"], ppm),
                              ("restart", ["-restart", "1"], ppm), ("opt", ["-optimize"], ppm),
                              ("arith", ["-arithmetic"], ppm), ("rgb", ["-rgb"], ppm), ("pgm", [], pgm),
                              ("q20_422", ["-quality", "20", "-sample", "2x1"], ppm)):
        r = run(["cjpeg"] + args + ["-outfile", os.path.join(inp, f"gen_{base}_{tag}.jpg"), source])
        if r.returncode:
            print("cjpeg refused", tag, r.stderr.decode(errors="replace").strip())
    # PNG through ImageMagick and netpbm.
    for tag, args in (("png8", ["PNG8:"]), ("png24", ["PNG24:"]), ("png48", ["-depth", "16", "PNG48:"]),
                      ("g1", ["-colorspace", "Gray", "-depth", "1", "PNG:"]),
                      ("g2", ["-colorspace", "Gray", "-depth", "2", "PNG:"]),
                      ("g4", ["-colorspace", "Gray", "-depth", "4", "PNG:"]),
                      ("g16", ["-colorspace", "Gray", "-depth", "16", "PNG:"]),
                      ("interlaced", ["-interlace", "PNG", "PNG24:"])):
        prefix, fmt = args[:-1], args[-1]
        subprocess.run([IM, ppm] + prefix + [fmt + os.path.join(inp, f"gen_{base}_{tag}.png")], check=True)
    with open(os.path.join(inp, f"gen_{base}_pnmtopng.png"), "wb") as f:
        f.write(run(["pnmtopng", "-interlace", ppm]).stdout)
    # JPEG-2000 through opj_compress.
    for tag, args, source in (("lossless", [], ppm), ("lossy", ["-r", "20"], ppm), ("rlcp", ["-p", "RLCP"], ppm),
                              ("tiles", ["-t", "16,16"], ppm), ("grey", [], pgm), ("res2", ["-n", "2"], ppm)):
        for ext in ("jp2", "j2k"):
            r = run(["opj_compress", "-i", source, "-o", os.path.join(inp, f"gen_{base}_{tag}.{ext}")] + args)
            if r.returncode:
                print("opj_compress refused", base, tag, ext)

# --- 2. references and our decodes --------------------------------------------
refs = {}
for name in sorted(os.listdir(inp)):
    path = os.path.join(inp, name)
    ref = os.path.join(out, "ref", name + ".pnm")
    ext = name.rsplit(".", 1)[1]
    if ext == "jpg":
        r = run(["djpeg", "-pnm", "-outfile", ref, path])
        ok = r.returncode == 0
    elif ext == "png":
        with open(ref, "wb") as f:
            r = run(["pngtopnm", path])
            f.write(r.stdout)
        ok = r.returncode == 0 and len(r.stdout) > 0
    else:
        r = run(["opj_decompress", "-i", path, "-o", ref])
        ok = r.returncode == 0 and os.path.exists(ref)
    refs[name] = ref if ok else None

env = dict(os.environ, FMT_CODEC_INTEROP_DIR="Z:" + out.replace("/", "\\"))
r = run(emu + [exe, "--gtest_filter=FmtCodecInterop.*"], env=env)
if r.returncode:
    print(r.stdout.decode(errors="replace")[-3000:])
    fail("the test executable failed")


def png_header(path):
    d = open(path, "rb").read(33)
    return (d[24], d[25]) if len(d) >= 26 and d[12:16] == b"IHDR" else (0, 0)


for name in sorted(refs):
    ours = os.path.join(out, "out", name + ".ppm")
    refused = os.path.join(out, "out", name + ".refused")
    ref = refs[name]
    if ref is None:
        if os.path.exists(refused):
            count("invalid files refused")
        elif name.startswith("crasher_"):
            # libpng's crash tests: what matters is that nothing crashed.
            count("crash-test files decoded without harm")
        else:
            fail(f"{name}: the reference refuses it, we decoded it")
        continue
    if not os.path.exists(ours):
        why = open(refused).read().strip() if os.path.exists(refused) else "no output"
        if name == "turbo_testorig12.jpg":
            count("12-bit JPEG refused (8-bit codec)")
        elif name.startswith("crasher_"):
            count("crash-test files refused")
        else:
            fail(f"{name}: refused ({why}), the reference decodes it")
        continue
    ext = name.rsplit(".", 1)[1]
    if ext == "png":
        depth, ctype = png_header(os.path.join(inp, name))
        if depth == 1 and ctype == 3:
            count("1-bit palette PNGs kept as indices (not compared)")
            continue
    pnm = read_pnm(ref)
    if ext in ("jp2", "j2k") and pnm[3] not in (255, 65535):
        # Other precisions: sample * 255 / max, truncated, as the filter scales.
        w, h, ch, maxval, s = pnm
        pnm = (w, h, ch, 255, [v * 255 // maxval for v in s])
    if compare(ours, to_rgb8(pnm), 1 if ext == "jpg" else 0, name):
        count(f"{ext} files decoded like the reference")

# --- 3. what our writers make --------------------------------------------------
for name in sorted(os.listdir(os.path.join(out, "enc"))):
    path = os.path.join(out, "enc", name)
    base = name.split(".")[0]
    source = read_pnm(os.path.join(src, base + ".ppm"))
    if run([ID, path]).returncode:
        fail(f"{name}: identify refuses it")
        continue
    kind = name.split(".", 1)[1]
    decoded = os.path.join(tmp, name + ".pnm")
    if kind.endswith("jpg"):
        r = run(["djpeg", "-pnm", "-outfile", decoded, path])
        if r.returncode or r.stderr:
            fail(f"{name}: djpeg says {r.stderr.decode(errors='replace').strip()}")
            continue
        w, h, _, _, s = read_pnm(decoded)
        if (w, h) != source[:2]:
            fail(f"{name}: djpeg size {w}x{h}")
            continue
        count("JPEG files written and read by djpeg")
        continue
    if kind.endswith("png"):
        r = run(["pngcheck", "-q", path])
        if r.returncode:
            fail(f"{name}: pngcheck says {r.stdout.decode(errors='replace').strip()}")
            continue
        with open(decoded, "wb") as f:
            f.write(run(["pngtopnm", path]).stdout)
        if kind in ("rgb.png", "rgba.png", "interlaced.png"):
            if compare(decoded, to_rgb8(source), 0, name):
                count("PNG files written, checked by pngcheck and read back exactly by pngtopnm")
        else:
            count("PNG palette and 1-bit files written and passed by pngcheck")
        continue
    r = run(["opj_decompress", "-i", path, "-o", decoded])
    if r.returncode:
        fail(f"{name}: opj_decompress refuses it")
        continue
    if kind == "grey.jp2":
        w, h, _, _, s = source
        lum = [(21 * s[i] + 71 * s[i + 1] + 8 * s[i + 2]) // 100 for i in range(0, len(s), 3)]
        ok = compare(decoded, (w, h, [v for v in lum for _ in range(3)]), 0, name)
    else:
        ok = compare(decoded, to_rgb8(source), 0, name)
    if ok:
        count("JPEG 2000 files written and read back exactly by opj_decompress")

for k in sorted(counts):
    print(f"{counts[k]:5d}  {k}")
print(f"{len(failures)} differences")
sys.exit(1 if failures else 0)
