#!/usr/bin/env python3
"""swf_check.py TEST_EXE OUT_DIR FFMPEG GIFSICLE CONVERT [EMULATOR]

Has the wexbolt test executable write its fixture GIFs and the movies gif2swf
makes of them (Gif2SwfExport, into OUT_DIR/movies), then reads every movie
with independent tools:
  - yaswfp parses it: header (signature, version, length, frame size, rate,
    frame count), the tag list, which bitmap each movie frame shows, and the
    actions of the last frame;
  - ffmpeg's SWF demuxer decodes its lossless bitmaps (one video frame per
    bitmap, in the order they are defined: the demuxer does not follow the
    display list, and its timestamps count bitmaps, not movie frames);
  - the GIF is composed by ImageMagick (-coalesce) and its delays and loop
    read by gifsicle --info.
Every movie frame must show ffmpeg's decoding of its bitmap equal to the
coalesced GIF frame due at that time (transparent pixels over the movie's
background colour), each GIF frame lasting its delay as the editor's playback
takes it (0 as 10 hundredths, below 3 as 3). Prints what it checked; exits 1
on any difference."""
import os
import re
import subprocess
import sys

try:
    from yaswfp import swfparser
except ImportError as e:  # installed by scripts/setup
    sys.exit("swf_check: the yaswfp module cannot be imported (%s)" % e)

exe, out, ffmpeg, gifsicle, convert = sys.argv[1:6]
emu = sys.argv[6].split() if len(sys.argv) > 6 and sys.argv[6] else []
failures = []


def fail(name, msg):
    failures.append("%s: %s" % (name, msg))
    print("FAIL: %s: %s" % (name, msg))


for tool in (ffmpeg, gifsicle, convert):
    if not os.path.isfile(tool):
        sys.exit("swf_check: required tool missing: %s" % tool)

movies = os.path.join(out, "movies")
os.makedirs(movies, exist_ok=True)
for f in os.listdir(movies):
    os.remove(os.path.join(movies, f))
env = dict(os.environ, WEXBOLT_SWF_OUT="Z:" + movies)
run = subprocess.run(emu + [exe, "--test-file=gif2swf", "--gtest_filter=Gif2SwfExport.*"], cwd=out, env=env,
                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
if run.returncode != 0 or b"SKIPPED" in run.stdout:
    print(run.stdout.decode(errors="replace")[-3000:])
    sys.exit("swf_check: the test executable did not write the movies")


def shown_delay(hundredths):
    return 10 if hundredths == 0 else max(hundredths, 3)


def gif_info(path):
    """Delays (hundredths) per frame and the loop: None (no loop block), 0 (forever) or the count."""
    info = subprocess.run([gifsicle, "--info", path], stdout=subprocess.PIPE, check=True).stdout.decode()
    delays = []
    for block in re.split(r"\n\s*\+ image #\d+", info)[1:]:
        m = re.search(r"delay ([\d.]+)s", block)
        delays.append(round(float(m.group(1)) * 100) if m else 0)
    loop = None
    if "loop forever" in info:
        loop = 0
    else:
        m = re.search(r"loop count (\d+)", info)
        if m:
            loop = int(m.group(1))
    return delays, loop


def coalesced(path, w, h, background):
    raw = subprocess.run([convert, path, "-coalesce", "-depth", "8", "rgba:-"], stdout=subprocess.PIPE,
                         check=True).stdout
    size = w * h * 4
    bg = bytes(((background >> 16) & 255, (background >> 8) & 255, background & 255))
    frames = []
    for k in range(len(raw) // size):
        rgba = raw[k * size:(k + 1) * size]
        rgb = bytearray()
        for i in range(0, size, 4):
            rgb += rgba[i:i + 3] if rgba[i + 3] else bg
        frames.append(bytes(rgb))
    return frames


def ffmpeg_bitmaps(path, w, h):
    raw = subprocess.run([ffmpeg, "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24",
                          "-fps_mode", "passthrough", "-"], stdout=subprocess.PIPE, check=True).stdout
    size = w * h * 3
    if len(raw) % size:
        return None
    return [raw[k * size:(k + 1) * size] for k in range(len(raw) // size)]


names = sorted(f[:-4] for f in os.listdir(movies) if f.endswith(".swf"))
if not names:
    sys.exit("swf_check: no movies were written")
for name in names:
    swf_path = os.path.join(movies, name + ".swf")
    gif_path = os.path.join(movies, name + ".gif")
    p = swfparser.parsefile(swf_path)
    hd = p.header
    x0, x1, y0, y1 = hd.FrameSize
    w, h = (x1 - x0) // 20, (y1 - y0) // 20
    tags = [t.name for t in p.tags]
    if hd.Signature != "FWS" or hd.FileLength != os.path.getsize(swf_path):
        fail(name, "header %s length %d, file %d bytes" % (hd.Signature, hd.FileLength, os.path.getsize(swf_path)))
    with open(swf_path, "rb") as f:
        if f.read()[-2:] != b"\0\0":
            fail(name, "the file does not end with the End tag")
    if hd.FrameCount != tags.count("ShowFrame"):
        fail(name, "frame count %d, %d ShowFrame tags" % (hd.FrameCount, tags.count("ShowFrame")))
    if not hd.FrameRate or 25600 % hd.FrameRate:
        fail(name, "frame rate %d/256 is not whole hundredths per frame" % hd.FrameRate)
        continue
    tick = 25600 // hd.FrameRate

    # The display list, frame by frame: which bitmap (by definition order) is on show.
    bitmap_index, shape_bitmap, on_stage, shown, background, actions = {}, {}, None, [], None, []
    for t in p.tags:
        if t.name == "SetBackgroundColor":
            background = (t.BackgroundColor[0] << 16) | (t.BackgroundColor[1] << 8) | t.BackgroundColor[2]
        elif t.name == "DefineBitsLossless":
            raw = t.raw_payload
            bitmap_index[raw[0] | (raw[1] << 8)] = len(bitmap_index)
        elif t.name == "DefineShape":
            shape_bitmap[t.ShapeId] = t.Shapes.FillStyles.FillStyles[0].BitmapId
        elif t.name == "PlaceObject2" and t.PlaceFlagHasCharacter:
            on_stage = t.CharacterId
        elif t.name == "RemoveObject2":
            on_stage = None
        elif t.name == "DoAction":
            actions = t.Actions
        elif t.name == "ShowFrame":
            shown.append(bitmap_index.get(shape_bitmap.get(on_stage)))
    if background is None:
        fail(name, "no background colour")
        continue

    delays, loop = gif_info(gif_path)
    expected = coalesced(gif_path, w, h, background)
    decoded = ffmpeg_bitmaps(swf_path, w, h)
    if decoded is None or len(decoded) != len(bitmap_index):
        fail(name, "ffmpeg decoded %s bitmaps of %d defined" % (None if decoded is None else len(decoded),
                                                                 len(bitmap_index)))
        continue
    if len(expected) != len(delays):
        fail(name, "ImageMagick %d frames, gifsicle %d" % (len(expected), len(delays)))
        continue
    due = []
    for i, d in enumerate(delays):
        if shown_delay(d) % tick:
            fail(name, "frame %d delay %d is not whole movie frames of %d" % (i, shown_delay(d), tick))
        due += [i] * (shown_delay(d) // tick)
    if len(due) != len(shown):
        fail(name, "%d movie frames, the delays take %d" % (len(shown), len(due)))
        continue
    bad = [k for k in range(len(due)) if shown[k] is None or decoded[shown[k]] != expected[due[k]]]
    if bad:
        fail(name, "movie frames %s differ from the coalesced GIF frames" % bad[:10])

    # The loop, from the last frame's actions.
    names_ = [a.name for a in actions]
    pushed = [a.Float for a in actions if a.name == "ActionPush" and getattr(a, "Type", None) == 1]
    if loop is None:
        loop_ok = names_ == ["ActionStop"]
        loop_text = "once (Stop)"
    elif loop == 0:
        loop_ok = "ActionStop" not in names_ and names_[-2:] == ["ActionGotoFrame", "ActionPlay"]
        loop_text = "forever (GotoFrame, Play)"
    else:
        loop_ok = "ActionStop" in names_ and "ActionGotoFrame" in names_ and float(loop) in pushed
        loop_text = "%d passes (counter against %s, then Stop)" % (loop, pushed[-1] if pushed else "?")
    if not loop_ok:
        fail(name, "loop %s, last frame's actions %s" % (loop, names_))
    summary = {}
    for t in tags:
        summary[t] = summary.get(t, 0) + 1
    print("%s: yaswfp %s v%d, %dx%d px, %.2f fps (%d hundredths a frame), %d frames; tags %s; "
          "ffmpeg decoded %d bitmaps; %d movie frames equal ImageMagick's %d coalesced frames over "
          "background %06X for their delays %s; loop %s"
          % (name, hd.Signature, hd.Version, w, h, hd.FrameRate / 256.0, tick, hd.FrameCount,
             ", ".join("%s x%d" % kv for kv in summary.items()), len(decoded), len(shown), len(expected),
             background, delays, loop_text))

print("swf_check: %d movies checked, %d failures" % (len(names), len(failures)))
sys.exit(1 if failures else 0)
