#!/usr/bin/env python3
"""Byte-level edits of GIF files for the corpus script.

Walks the block structure only (colour tables, extensions, data sub-blocks);
image data is copied untouched and never decoded.
  plaintext IN OUT          insert plain text blocks before the first image and after the last
  screen IN OUT W H         set the logical screen size
  refcopies IN IDX RGB      IDX: every colour table replaced by entries (i, 255-i, 85) and
                            transparency flags cleared; RGB: transparency flags cleared
  refframe REF W H IDX RGB  append one frame to a reference file
"""
import struct
import sys


def walk(data):
    """Yields (kind, start, end, info) for every block after the header."""
    pos = 13
    packed = data[10]
    if packed & 0x80:
        n = 3 * (2 << (packed & 7))
        yield ('gct', pos, pos + n, None)
        pos += n
    while pos < len(data):
        b = data[pos]
        if b == 0x3B:
            yield ('trailer', pos, pos + 1, None)
            return
        if b == 0x21:
            label = data[pos + 1]
            p = pos + 2
            while data[p] != 0:
                p += data[p] + 1
            yield ('ext', pos, p + 1, label)
            pos = p + 1
        elif b == 0x2C:
            start = pos
            lp = data[pos + 9]
            pos += 10
            lct = None
            if lp & 0x80:
                n = 3 * (2 << (lp & 7))
                lct = (pos, pos + n)
                pos += n
            pos += 1  # minimum code size
            while data[pos] != 0:
                pos += data[pos] + 1
            yield ('image', start, pos + 1, lct)
            pos += 1
        else:
            raise SystemExit('unexpected byte %#x at %d' % (b, pos))


def sub_blocks(payload):
    out = bytearray()
    for i in range(0, len(payload), 255):
        chunk = payload[i:i + 255]
        out += bytes([len(chunk)]) + chunk
    return bytes(out + b'\0')


def plain_text(left, top, text):
    rec = struct.pack('<BHHHHBBBB', 12, left, top, 64, 16, 8, 16, 1, 0)
    return b'\x21\x01' + rec + sub_blocks(text)


def main():
    cmd = sys.argv[1]
    if cmd == 'refframe':
        ref, w, h, idx, rgb = sys.argv[2:7]
        w, h = int(w), int(h)
        a = open(idx, 'rb').read()
        c = open(rgb, 'rb').read()
        assert len(a) == len(c) == w * h * 3, (len(a), len(c), w, h)
        with open(ref, 'ab') as f:
            f.write(struct.pack('<HH', w, h))
            f.write(a[0::3])
            f.write(c)
        return
    data = bytearray(open(sys.argv[2], 'rb').read())
    blocks = list(walk(data))
    if cmd == 'plaintext':
        images = [b for b in blocks if b[0] == 'image']
        first, last = images[0], images[-1]
        out = (data[:first[1]] + plain_text(0, 0, b'Plain text line one') + data[first[1]:last[2]]
               + plain_text(2, 3, b'after the last image') + data[last[2]:])
        out[3:6] = b'89a'
        open(sys.argv[3], 'wb').write(out)
    elif cmd == 'screen':
        struct.pack_into('<HH', data, 6, int(sys.argv[4]), int(sys.argv[5]))
        open(sys.argv[3], 'wb').write(data)
    elif cmd == 'refcopies':
        rgb = bytearray(data)
        for kind, start, end, info in blocks:
            if kind == 'ext' and info == 0xF9:
                rgb[start + 3] &= 0xFE
        idx = bytearray(rgb)
        tables = [(s, e) for k, s, e, _ in blocks if k == 'gct']
        tables += [b[3] for b in blocks if b[0] == 'image' and b[3]]
        for s, e in tables:
            for i in range((e - s) // 3):
                idx[s + 3 * i:s + 3 * i + 3] = bytes([i, 255 - i, 85])
        open(sys.argv[3], 'wb').write(idx)
        open(sys.argv[4], 'wb').write(rgb)
    else:
        raise SystemExit(__doc__)


main()
