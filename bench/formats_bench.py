#!/usr/bin/env python3
"""formats_bench.py FORMATS_BENCH_EXE WORK_DIR [EMULATOR]

Speed of our JPEG, PNG, BMP, Targa and TIFF filters on a 24-megapixel photograph-like picture
(ImageMagick's rose, enlarged, with sensor-like noise), next to libjpeg-turbo's
djpeg/cjpeg, netpbm's pngtopnm/pnmtopng, bmptopnm/ppmtobmp and
tgatoppm/pamtotga, tiffcp (TIFF decoding: uncompressed, LZW, Group 4) and ImageMagick's convert, measured in
one run. The tools' times include their file reading and writing (to /dev/null
where they can); ours are in memory. Prints megapixels per second and the
ratio tool time / our time (above 1: we are faster)."""
import os
import subprocess
import sys
import time

exe, work = sys.argv[1], sys.argv[2]
emu = sys.argv[3].split() if len(sys.argv) > 3 and sys.argv[3] else []
IM = "/usr/bin/convert-im6.q16"
os.makedirs(work, exist_ok=True)
ppm, jpg, png, jp2, bmp, tga = (os.path.join(work, "photo." + e) for e in ("ppm", "jpg", "png", "jp2", "bmp", "tga"))
tif_none, tif_lzw, tif_g4 = (os.path.join(work, "photo_" + e + ".tif") for e in ("none", "lzw", "g4"))
tiffcp_out = os.path.join("/dev/shm" if os.path.isdir("/dev/shm") else work, "formats_bench_tiffcp.tif")
W, H = 6000, 4000
MP = W * H / 1e6

if not os.path.exists(ppm):
    subprocess.run([IM, "rose:", "-resize", f"{W}x{H}!", "-seed", "1", "-attenuate", "0.4", "+noise", "Gaussian",
                    "-depth", "8", "ppm:" + ppm], check=True)
subprocess.run(["cjpeg", "-quality", "90", "-outfile", jpg, ppm], check=True)
for path, tool in ((png, ["pnmtopng", ppm]), (bmp, ["ppmtobmp", ppm]), (tga, ["pamtotga", ppm])):
    with open(path, "wb") as f:
        subprocess.run(tool, stdout=f, stderr=subprocess.DEVNULL, check=True)
subprocess.run([IM, ppm, "-compress", "none", tif_none], check=True)
subprocess.run(["tiffcp", "-c", "lzw", tif_none, tif_lzw], check=True)
subprocess.run([IM, ppm, "-monochrome", "-type", "bilevel", "-compress", "group4", tif_g4], check=True)


def best(args, runs=3, stdin=None):
    t = 1e30
    for _ in range(runs):
        with open(stdin, "rb") if stdin else open(os.devnull, "rb") as i, open(os.devnull, "wb") as o:
            t0 = time.perf_counter()
            subprocess.run(args, stdin=i, stdout=o, stderr=subprocess.DEVNULL, check=True)
            t = min(t, time.perf_counter() - t0)
    return t


tools = {
    "jpeg decode": [("djpeg", ["djpeg", "-ppm", jpg]), ("convert", [IM, jpg, "ppm:-"])],
    "jpeg encode q90": [("cjpeg", ["cjpeg", "-quality", "90", ppm]), ("convert", [IM, ppm, "-quality", "90", "jpg:-"])],
    "png decode": [("pngtopnm", ["pngtopnm", png]), ("convert", [IM, png, "ppm:-"])],
    "png encode": [("pnmtopng", ["pnmtopng", ppm]), ("convert", [IM, ppm, "png:-"])],
    "bmp decode": [("bmptopnm", ["bmptopnm", bmp]), ("convert", [IM, bmp, "ppm:-"])],
    "bmp encode": [("ppmtobmp", ["ppmtobmp", ppm]), ("convert", [IM, ppm, "bmp:-"])],
    "tga decode": [("tgatoppm", ["tgatoppm", tga]), ("convert", [IM, tga, "ppm:-"])],
    "tga encode": [("pamtotga", ["pamtotga", ppm]), ("convert", [IM, ppm, "tga:-"])],
    # tiffcp decodes and writes uncompressed; it cannot write to /dev/null (it
    # seeks in its output), so it writes to memory-backed storage where there is some.
    "tiff none decode": [("tiffcp", ["tiffcp", "-c", "none", tif_none, tiffcp_out])],
    "tiff lzw decode": [("tiffcp", ["tiffcp", "-c", "none", tif_lzw, tiffcp_out])],
    "tiff g4 decode": [("tiffcp", ["tiffcp", "-c", "none", tif_g4, tiffcp_out])],
}
out = subprocess.run(emu + [exe, ppm, jpg, png, "--tiff", tif_none, tif_lzw, tif_g4], stdout=subprocess.PIPE, check=True).stdout.decode()
print(out.strip())
ours = {}
for line in out.splitlines():
    if line.startswith("ours "):
        name = line[5:22].strip()
        if "(" in line:
            ours[name] = float(line.split("(")[1].split(" s")[0])
print(f"\n{'operation':<18} {'ours MP/s':>10} {'tool':>10} {'tool MP/s':>10} {'tool/ours':>10}")
for op, entries in tools.items():
    if op not in ours:
        print(f"{op:<18} {'refused':>10}")
        continue
    mine = ours[op]
    for tool, args in entries:
        t = best(args)
        print(f"{op:<18} {MP / mine:10.2f} {tool:>10} {MP / t:10.2f} {t / mine:10.2f}")
if os.path.exists(tiffcp_out):
    os.remove(tiffcp_out)
