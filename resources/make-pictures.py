#!/usr/bin/env python3
"""Draws Quilltally's pictures from the shapes below (standard library only).

    make-pictures.py OUTDIR

writes OUTDIR/splash.bmp (340 x 198, 8 bits per pixel), OUTDIR/qtally.ico
(16 and 32 pixels, 8 and 32 bits per pixel) and OUTDIR/banner.gif (468 x 60,
animated GIF89a). The output depends on nothing but this file.
"""
import math
import os
import struct
import sys

# ---------------------------------------------------------------- drawing


class Canvas:
    """RGBA picture in floats; shapes are anti-aliased from their distance."""

    def __init__(self, w, h, rgb=(255, 255, 255), alpha=1.0):
        self.w, self.h = w, h
        self.r = [float(rgb[0])] * (w * h)
        self.g = [float(rgb[1])] * (w * h)
        self.b = [float(rgb[2])] * (w * h)
        self.a = [alpha] * (w * h)

    def blend(self, i, col, cov):
        if cov <= 0.0:
            return
        if cov > 1.0:
            cov = 1.0
        a0 = self.a[i]
        a1 = a0 + cov * (1.0 - a0)
        k0 = a0 * (1.0 - cov) / a1
        k1 = cov / a1
        self.r[i] = self.r[i] * k0 + col[0] * k1
        self.g[i] = self.g[i] * k0 + col[1] * k1
        self.b[i] = self.b[i] * k0 + col[2] * k1
        self.a[i] = a1

    def vgradient(self, y0, y1, c0, c1, x0=0, x1=None):
        x1 = self.w if x1 is None else x1
        for y in range(max(0, y0), min(self.h, y1)):
            t = (y - y0) / max(1, y1 - y0 - 1)
            col = [c0[k] + (c1[k] - c0[k]) * t for k in range(3)]
            for x in range(max(0, x0), min(self.w, x1)):
                self.blend(y * self.w + x, col, 1.0)

    def _shade(self, box, col, coverage, opacity=1.0):
        x0, y0, x1, y1 = box
        x0 = max(0, int(math.floor(x0)))
        y0 = max(0, int(math.floor(y0)))
        x1 = min(self.w - 1, int(math.ceil(x1)))
        y1 = min(self.h - 1, int(math.ceil(y1)))
        for y in range(y0, y1 + 1):
            py = y + 0.5
            for x in range(x0, x1 + 1):
                c = coverage(x + 0.5, py)
                if c > 0.0:
                    self.blend(y * self.w + x, col, c * opacity)

    def stroke(self, pts, width, col, opacity=1.0):
        """Polyline with round joins and ends."""
        segs = list(zip(pts, pts[1:])) or [(pts[0], pts[0])]
        r = width / 2.0
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        box = (min(xs) - r - 1, min(ys) - r - 1, max(xs) + r + 1, max(ys) + r + 1)

        def cov(px, py):
            d = min(seg_dist(px, py, a, b) for a, b in segs)
            return r + 0.5 - d

        self._shade(box, col, cov, opacity)

    def polygon(self, pts, col, opacity=1.0):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        box = (min(xs) - 1, min(ys) - 1, max(xs) + 1, max(ys) + 1)
        segs = list(zip(pts, pts[1:] + pts[:1]))

        def cov(px, py):
            d = min(seg_dist(px, py, a, b) for a, b in segs)
            inside = point_in(px, py, segs)
            return 0.5 + d if inside else 0.5 - d

        self._shade(box, col, cov, opacity)

    def disc(self, cx, cy, rad, col, opacity=1.0):
        box = (cx - rad - 1, cy - rad - 1, cx + rad + 1, cy + rad + 1)
        self._shade(box, col, lambda px, py: rad + 0.5 - math.hypot(px - cx, py - cy), opacity)

    def rgb_rows(self):
        """Rows of (r, g, b) integer triples, top row first."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                i = y * self.w + x
                row.append((clamp8(self.r[i]), clamp8(self.g[i]), clamp8(self.b[i])))
            rows.append(row)
        return rows

    def copy(self):
        c = Canvas(1, 1)
        c.w, c.h = self.w, self.h
        c.r, c.g, c.b, c.a = self.r[:], self.g[:], self.b[:], self.a[:]
        return c


def clamp8(v):
    return 0 if v < 0 else 255 if v > 255 else int(v + 0.5)


def seg_dist(px, py, a, b):
    ax, ay = a
    dx, dy = b[0] - ax, b[1] - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / ll))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def point_in(px, py, segs):
    inside = False
    for (x0, y0), (x1, y1) in segs:
        if (y0 > py) != (y1 > py):
            if px < x0 + (py - y0) * (x1 - x0) / (y1 - y0):
                inside = not inside
    return inside


def arc(cx, cy, rx, ry, a0, a1, n=None):
    """Points of an elliptic arc, angles in degrees, counter-clockwise, y up."""
    n = n or max(6, int(abs(a1 - a0) / 12))
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * k / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * k / n))) for k in range(n + 1)]


# ---------------------------------------------------------------- lettering
# A stroke alphabet: x-height 5, capitals 7.5, ascenders 8, descenders -2.5,
# y upwards from the baseline. Each glyph is (advance, [polylines]).

def _glyphs():
    o = arc(2.3, 2.5, 2.3, 2.5, 0, 360)
    g = {
        ' ': (2.6, []),
        '.': (1.8, [[(0.5, 0.3)]]),
        ',': (1.8, [[(0.6, 0.4), (0.1, -1.0)]]),
        ':': (1.8, [[(0.5, 0.3)], [(0.5, 4.2)]]),
        'a': (5.9, [o, [(4.6, 5), (4.6, 0)]]),
        'b': (5.9, [[(0, 8), (0, 0)], arc(2.3, 2.5, 2.3, 2.5, 0, 360)]),
        'c': (5.1, [arc(2.4, 2.5, 2.4, 2.5, 40, 320)]),
        'd': (5.9, [o, [(4.6, 8), (4.6, 0)]]),
        'e': (5.4, [[(0.1, 2.6), (4.6, 2.6)] + arc(2.35, 2.5, 2.3, 2.5, 5, 325)[1:]]),
        'g': (5.9, [o, [(4.6, 5), (4.6, -0.6)] + arc(2.3, -0.6, 2.3, 1.9, 0, -160)[1:]]),
        'h': (5.4, [[(0, 8), (0, 0)], [(0, 2.8)] + arc(2.1, 2.8, 2.1, 2.2, 180, 0)[1:] + [(4.2, 0)]]),
        'i': (1.9, [[(0.5, 0), (0.5, 5)], [(0.5, 6.9)]]),
        'j': (2.2, [[(1.0, 5), (1.0, -1.4)] + arc(-0.4, -1.4, 1.4, 1.1, 0, -120)[1:], [(1.0, 6.9)]]),
        'k': (4.8, [[(0, 8), (0, 0)], [(4.0, 5), (0, 1.8)], [(1.3, 2.8), (4.2, 0)]]),
        'l': (1.9, [[(0.5, 0), (0.5, 8)]]),
        'm': (8.6, [[(0, 5), (0, 0)], [(0, 3.2)] + arc(1.9, 3.2, 1.9, 1.8, 180, 0)[1:] + [(3.8, 0)],
                    [(3.8, 3.2)] + arc(5.7, 3.2, 1.9, 1.8, 180, 0)[1:] + [(7.6, 0)]]),
        'n': (5.4, [[(0, 5), (0, 0)], [(0, 2.8)] + arc(2.1, 2.8, 2.1, 2.2, 180, 0)[1:] + [(4.2, 0)]]),
        'o': (5.6, [o]),
        'p': (5.9, [[(0, 5), (0, -2.5)], arc(2.3, 2.5, 2.3, 2.5, 0, 360)]),
        'r': (3.7, [[(0, 5), (0, 0)], [(0, 2.6)] + arc(2.6, 2.6, 2.6, 2.4, 180, 75)[1:]]),
        's': (4.6, [arc(2.0, 3.75, 1.9, 1.25, 20, 270)[:-1] + arc(2.0, 1.25, 2.0, 1.25, 90, -160)]),
        't': (3.6, [[(1.2, 7), (1.2, 1.2)] + arc(2.6, 1.2, 1.4, 1.2, 180, 280)[1:], [(0, 5), (2.9, 5)]]),
        'u': (5.4, [[(0, 5), (0, 2.2)] + arc(2.1, 2.2, 2.1, 2.2, 180, 360)[1:], [(4.2, 5), (4.2, 0)]]),
        'v': (5.0, [[(0, 5), (2.2, 0), (4.4, 5)]]),
        'w': (7.2, [[(0, 5), (1.6, 0), (3.2, 5), (4.8, 0), (6.4, 5)]]),
        'x': (4.9, [[(0, 5), (4.2, 0)], [(0, 0), (4.2, 5)]]),
        'y': (5.0, [[(0, 5), (2.2, 0)], [(4.4, 5), (1.2, -2.5)]]),
        'C': (7.0, [arc(3.6, 3.75, 3.5, 3.75, 45, 315)]),
        'P': (5.9, [[(0, 0), (0, 7.5), (2.7, 7.5)] + arc(2.7, 5.6, 2.0, 1.9, 90, -90)[1:] + [(0, 3.7)]]),
        'Q': (8.4, [arc(3.6, 3.75, 3.6, 3.75, 0, 360), [(4.6, 1.6), (7.4, -0.9)]]),
        'T': (6.0, [[(0, 7.5), (5.4, 7.5)], [(2.7, 7.5), (2.7, 0)]]),
    }
    return g


GLYPHS = _glyphs()


def text_width(text, size, spacing=0.7):
    return sum(GLYPHS[c][0] + spacing for c in text) * size - spacing * size


def draw_text(cv, text, x, y, size, width, col, slant=0.18, spacing=0.7, opacity=1.0):
    """Draws text with its baseline at y; size is pixels per unit."""
    pen = x
    for ch in text:
        adv, lines = GLYPHS[ch]
        for line in lines:
            pts = [(pen + (px + slant * py) * size, y - py * size) for px, py in line]
            cv.stroke(pts, width, col, opacity)
        pen += (adv + spacing) * size
    return pen


# ---------------------------------------------------------------- motifs

INK = (28, 38, 78)
INK_RED = (168, 40, 38)
PAPER = (252, 250, 244)


def quill(cv, nib, tip, width, barbs=True, vane=(236, 232, 222), shade=(176, 160, 140),
          shaft=(120, 96, 70)):
    """A feather lying from its nib to its tip; width is the vane's widest."""
    nx, ny = nib
    tx, ty = tip
    length = math.hypot(tx - nx, ty - ny)
    ux, uy = (tx - nx) / length, (ty - ny) / length
    vx, vy = -uy, ux

    def at(t, side):
        # The vane starts a fifth of the way up, swells and narrows to the tip.
        s = max(0.0, (t - 0.2) / 0.8)
        half = width * (max(0.0, math.sin(math.pi * s)) ** 0.8) * (0.55 if side < 0 else 0.45)
        bend = 0.04 * length * math.sin(math.pi * t)
        return (nx + ux * t * length + vx * (side * half + bend),
                ny + uy * t * length + vy * (side * half + bend))

    steps = 24
    left = [at(0.2 + 0.8 * k / steps, -1) for k in range(steps + 1)]
    right = [at(0.2 + 0.8 * k / steps, 1) for k in range(steps + 1)]
    cv.polygon(left + right[::-1], vane)
    # A darker half gives the vane some body.
    mid = [at(0.2 + 0.8 * k / steps, 0) for k in range(steps + 1)]
    cv.polygon(right + mid[::-1], shade, 0.55)
    if barbs:
        for k in range(3, steps - 1, 2):
            t = 0.2 + 0.8 * k / steps
            a = at(t, 0)
            for side in (-1, 1):
                b = at(min(1.0, t + 0.06), side)
                cv.stroke([a, b], max(0.6, width / 40.0), (150, 132, 112), 0.6)
    cv.stroke([at(0.0, 0), at(1.0, 0)] if not barbs else
              [at(k / 12.0, 0) for k in range(13)], max(1.0, width / 14.0), shaft)
    # The cut nib, dark with ink.
    a = at(0.0, 0)
    b = at(0.07, 0)
    cv.stroke([a, b], max(1.2, width / 9.0), INK)


def tally(cv, x, y, h, gap, strokes, width, col=INK, slash=INK_RED):
    """Tally marks: groups of four upright strokes crossed by a fifth."""
    pen = x
    for k in range(strokes):
        if k % 5 == 4:
            g0 = pen - 4 * gap - gap * 0.2
            cv.stroke([(g0, y - h * 0.25), (pen - gap * 0.3, y - h * 0.78)], width, slash)
            pen += gap * 1.2
        else:
            wob = 0.06 * h * math.sin(k * 1.7)
            cv.stroke([(pen + wob, y), (pen - wob * 0.5, y - h)], width, col)
            pen += gap


# ---------------------------------------------------------------- palette


def median_cut(hist, n):
    """hist: {(r,g,b): count}. Returns at most n colours."""
    boxes = [list(hist.items())]
    while len(boxes) < n:
        best, best_i, best_c = -1, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for c in range(3):
                vals = [k[c] for k, _ in box]
                rng = max(vals) - min(vals)
                score = rng * sum(v for _, v in box) ** 0.5
                if score > best:
                    best, best_i, best_c = score, i, c
        if best_i < 0 or best <= 0:
            break
        box = sorted(boxes[best_i], key=lambda kv: kv[0][best_c])
        total = sum(v for _, v in box)
        run, cut = 0, 1
        for j, (_, v) in enumerate(box):
            run += v
            if run >= total / 2:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes[best_i:best_i + 1] = [box[:cut], box[cut:]]
    pal = []
    for box in boxes:
        total = sum(v for _, v in box)
        pal.append(tuple(int(sum(k[c] * v for k, v in box) / total + 0.5) for c in range(3)))
    return pal


def quantize(rows_list, n, fixed=()):
    """Palette for several pictures, and each as rows of palette indexes."""
    hist = {}
    for rows in rows_list:
        for row in rows:
            for p in row:
                hist[p] = hist.get(p, 0) + 1
    pal = list(fixed) + median_cut(hist, n - len(fixed))
    cache = {}

    def nearest(p):
        i = cache.get(p)
        if i is None:
            i = min(range(len(pal)), key=lambda k: (pal[k][0] - p[0]) ** 2 * 3
                    + (pal[k][1] - p[1]) ** 2 * 4 + (pal[k][2] - p[2]) ** 2 * 2)
            cache[p] = i
        return i

    out = [[[nearest(p) for p in row] for row in rows] for rows in rows_list]
    return pal, out


# ---------------------------------------------------------------- file formats


def dib_8bpp(rows, pal, height_factor=1):
    """BITMAPINFOHEADER, 256-entry colour table and bottom-up pixel rows."""
    h, w = len(rows), len(rows[0])
    stride = (w + 3) & ~3
    pal = list(pal) + [(0, 0, 0)] * (256 - len(pal))
    head = struct.pack('<IiiHHIIiiII', 40, w, h * height_factor, 1, 8, 0, stride * h, 2835, 2835, 256, 0)
    table = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in pal)
    bits = b''.join(bytes(row) + b'\0' * (stride - w) for row in reversed(rows))
    return head + table + bits


def write_bmp(path, rows, pal):
    dib = dib_8bpp(rows, pal)
    offset = 14 + 40 + 256 * 4
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(dib), 0, 0, offset) + dib)


def and_mask(cv):
    stride = ((cv.w + 31) // 32) * 4
    out = b''
    for y in reversed(range(cv.h)):
        row = bytearray(stride)
        for x in range(cv.w):
            if cv.a[y * cv.w + x] < 0.5:
                row[x // 8] |= 0x80 >> (x % 8)
        out += bytes(row)
    return out


def icon_image_32(cv):
    head = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    px = bytearray()
    for y in reversed(range(cv.h)):
        for x in range(cv.w):
            i = y * cv.w + x
            px += bytes((clamp8(cv.b[i]), clamp8(cv.g[i]), clamp8(cv.r[i]), clamp8(cv.a[i] * 255)))
    return head + bytes(px) + and_mask(cv)


def icon_image_8(cv, pal, rows):
    return dib_8bpp(rows, pal, 2) + and_mask(cv)


def write_ico(path, images):
    """images: list of (size, bits per pixel, image bytes)."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        colours = 0
        out += struct.pack('<BBBBHHII', size, size, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(d for _, _, d in images))


def lzw(indexes, min_bits=8):
    """GIF's variable-length LZW, as the data sub-blocks of one image."""
    clear, end = 1 << min_bits, (1 << min_bits) + 1
    out = bytearray()
    acc, nacc = 0, 0

    def put(code, bits):
        nonlocal acc, nacc
        acc |= code << nacc
        nacc += bits
        while nacc >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nacc -= 8

    table = {}
    nxt, bits = end + 1, min_bits + 1
    put(clear, bits)
    prefix = None
    for k in indexes:
        if prefix is None:
            prefix = k
            continue
        key = (prefix, k)
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        put(prefix, bits)
        if nxt < 4096:
            table[key] = nxt
            nxt += 1
            if nxt > (1 << bits) and bits < 12:
                bits += 1
        else:
            put(clear, bits)
            table = {}
            nxt, bits = end + 1, min_bits + 1
        prefix = k
    if prefix is not None:
        put(prefix, bits)
    put(end, bits)
    if nacc:
        out.append(acc & 0xFF)
    blocks = bytearray([min_bits])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b'\0')


def write_gif(path, frames, pal, delays):
    """frames: full-size pictures as rows of indexes; delays in 1/100 s."""
    h, w = len(frames[0]), len(frames[0][0])
    pal = list(pal) + [(0, 0, 0)] * (256 - len(pal))
    out = bytearray(b'GIF89a' + struct.pack('<HHBBB', w, h, 0xF7, 0, 0))
    out += b''.join(bytes(c) for c in pal)
    out += b'\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00'  # loop for ever
    for rows, delay in zip(frames, delays):
        out += b'\x21\xF9\x04' + struct.pack('<BHBB', 0x04, delay, 0, 0)
        out += b'\x2C' + struct.pack('<HHHHB', 0, 0, w, h, 0)
        out += lzw([i for row in rows for i in row])
    out += b'\x3B'
    with open(path, 'wb') as f:
        f.write(out)


# ---------------------------------------------------------------- the pictures


def splash():
    cv = Canvas(340, 198)
    cv.vgradient(0, 198, (253, 248, 232), (236, 224, 192))
    # A ruled sheet behind the tally.
    cv.polygon([(158, 114), (326, 114), (326, 186), (158, 186)], (120, 100, 70), 0.25)
    cv.polygon([(154, 110), (322, 110), (322, 182), (154, 182)], PAPER)
    for k in range(4):
        cv.stroke([(155, 126 + 16 * k), (321, 126 + 16 * k)], 0.8, (150, 180, 214), 0.8)
    cv.stroke([(174, 111), (174, 181)], 0.8, (214, 120, 120), 0.8)
    tally(cv, 192, 172, 44, 10, 13, 3.0)
    draw_text(cv, 'Quilltally', 150, 72, 4.0, 3.2, INK)
    draw_text(cv, 'count it. price it.', 176, 94, 1.75, 1.4, (110, 86, 60), slant=0.12, spacing=0.9)
    quill(cv, (60, 186), (146, 10), 46)
    # An ink drop at the nib.
    cv.disc(58, 188, 3.2, INK, 0.9)
    cv.stroke([(1, 1), (338, 1), (338, 196), (1, 196), (1, 1)], 1.0, (170, 146, 104))
    return cv


def icon(size):
    s = size / 32.0
    cv = Canvas(size, size, (0, 0, 0), 0.0)
    # A page with a soft shadow, tally marks on it, and the quill across.
    cv.polygon([(5 * s, 4 * s), (26 * s, 4 * s), (26 * s, 30 * s), (5 * s, 30 * s)], (90, 80, 60), 0.35)
    cv.polygon([(3 * s, 2 * s), (24 * s, 2 * s), (24 * s, 28 * s), (3 * s, 28 * s)], PAPER)
    cv.stroke([(3 * s, 2 * s), (24 * s, 2 * s), (24 * s, 28 * s), (3 * s, 28 * s), (3 * s, 2 * s)],
              max(0.8, s), (120, 110, 96))
    if size >= 24:
        tally(cv, 6.5 * s, 25 * s, 12 * s, 3.4 * s, 5, 1.6 * s)
        quill(cv, (12 * s, 22 * s), (30.5 * s, 1.5 * s), 9.5 * s, barbs=True)
    else:
        # Too small for barbs: four strokes, the slash and a plain quill.
        for x in (4, 6, 8, 10):
            cv.stroke([(x + 0.5, 4.5), (x + 0.5, 12.5)], 1.1, INK)
        cv.stroke([(3.5, 11), (11.5, 6)], 1.2, INK_RED)
        cv.stroke([(10, 12), (15, 1)], 2.4, (226, 220, 206))
        cv.stroke([(10, 12), (15, 1)], 0.8, (120, 96, 70))
        cv.stroke([(9.6, 13), (10.4, 11.2)], 1.2, INK)
    return cv


def banner_frames():
    base = Canvas(468, 60)
    base.vgradient(0, 60, (30, 44, 92), (14, 22, 52))
    base.stroke([(0, 58.5), (468, 58.5)], 1.0, (214, 170, 80))
    draw_text(base, 'Quilltally', 70, 35, 2.9, 2.4, (255, 255, 255))
    draw_text(base, 'count words. price the job.', 72, 51, 1.2, 1.1, (214, 200, 160), slant=0.12, spacing=0.9)
    draw_text(base, 'corvane.example', 336, 51, 1.2, 1.1, (180, 196, 236), slant=0.0, spacing=0.9)
    # The sheet the tally is written on.
    base.polygon([(262, 8), (456, 8), (456, 40), (262, 40)], (246, 240, 222))
    for k in range(2):
        base.stroke([(264, 18 + 12 * k), (454, 18 + 12 * k)], 0.7, (150, 180, 214), 0.8)
    frames = []
    strokes = [0, 2, 4, 5, 7, 9, 10, 13, 15]
    for n in strokes:
        cv = base.copy()
        tally(cv, 278, 36, 24, 9, n, 2.4)
        # The quill rests at the end of the last stroke written.
        pen = 278 + sum(10.8 if k % 5 == 4 else 9 for k in range(n))
        quill(cv, (pen + 2, 34), (pen + 40, 2), 11, barbs=True)
        quill(cv, (18, 52), (60, 6), 16)
        frames.append(cv)
    delays = [60] * (len(frames) - 1) + [300]
    return frames, delays


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else '.'
    os.makedirs(out, exist_ok=True)

    sp = splash()
    pal, (rows,) = quantize([sp.rgb_rows()], 256)
    write_bmp(os.path.join(out, 'splash.bmp'), rows, pal)

    images = []
    icons = [icon(32), icon(16)]
    # The 8-bit images share one palette; transparent pixels are black there.
    flat = []
    for cv in icons:
        c = cv.copy()
        for i in range(c.w * c.h):
            if c.a[i] < 0.5:
                c.r[i] = c.g[i] = c.b[i] = 0.0
            c.a[i] = 1.0
        flat.append(c)
    pal, idx = quantize([c.rgb_rows() for c in flat], 256, fixed=[(0, 0, 0)])
    for cv, rows in zip(icons, idx):
        images.append((cv.w, 8, icon_image_8(cv, pal, rows)))
    for cv in icons:
        images.append((cv.w, 32, icon_image_32(cv)))
    write_ico(os.path.join(out, 'qtally.ico'), images)

    frames, delays = banner_frames()
    pal, idx = quantize([f.rgb_rows() for f in frames], 256)
    write_gif(os.path.join(out, 'banner.gif'), idx, pal, delays)


if __name__ == '__main__':
    main()
