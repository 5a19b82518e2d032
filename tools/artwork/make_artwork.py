#!/usr/bin/python3
"""Generates all Mervalis artwork.

Run from anywhere:   /usr/bin/python3 tools/artwork/make_artwork.py

Writes
  src/payload/assets/  fish GIF animations, bubble PNG/GIF pictures
  src/ui/assets/       scene.jpg, frame.jpg, banner.jpg, check glyphs, license.txt
  src/app/             mervalis.ico

Everything is drawn procedurally with fixed random seeds, so a rerun produces
byte-identical files.  PIL does the drawing and the JPEG/BMP writing; the GIF,
PNG and ICO encoders live here so their exact layout is ours:

  GIF: GIF89a, global colour table only, NETSCAPE2.0 loop block right after the
       table (animations), one Graphic Control Extension per frame (transparent
       index, delay 5/100 s, disposal "restore to background"), frames cropped
       to the fish's bounding box.
  PNG: 8-bit RGBA (colour type 6), filter 0 on every row, one IDAT.
  ICO: 8-bit palettised DIB entries with an AND mask.
"""
import math
import os
import random
import struct
import zlib

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PAYLOAD_DIR = os.path.join(ROOT, "src", "payload", "assets")
UI_DIR = os.path.join(ROOT, "src", "ui", "assets")
APP_DIR = os.path.join(ROOT, "src", "app")
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

# =============================================================================
# Encoders
# =============================================================================


def lzw_compress(pixels, min_code_size):
    """GIF-flavoured LZW: variable code width up to 12 bits, LSB-first packing,
    a clear code when the table is full."""
    clear, eoi = 1 << min_code_size, (1 << min_code_size) + 1
    out = bytearray()
    acc = nbits = 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    width = min_code_size + 1
    table = {}
    next_code = eoi + 1
    emit(clear, width)
    prefix = pixels[0]
    for k in pixels[1:]:
        key = (prefix << 8) | k
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        emit(prefix, width)
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
            # The decoder adds its entries one code later than we do, so it
            # widens when it has used 1 << width codes; we widen one step later.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table.clear()
            next_code = eoi + 1
            width = min_code_size + 1
        prefix = k
    emit(prefix, width)
    emit(eoi, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def write_gif(path, size, palette, frames, transparent, delay, loop):
    """frames: list of (x, y, w, h, index bytes).  palette: list of RGB tuples,
    a power of two long (2..256)."""
    bits = len(palette).bit_length() - 1
    assert 1 << bits == len(palette) and 1 <= bits <= 8
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", size[0], size[1], 0x80 | (7 << 4) | (bits - 1),
                       transparent, 0)
    for rgb in palette:
        out += bytes(rgb)
    if loop:
        out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"
    min_code_size = max(2, bits)
    for x, y, w, h, pixels in frames:
        # Graphic Control Extension: disposal 2 (restore to background), transparent flag.
        out += b"\x21\xF9\x04" + struct.pack("<BHB", (2 << 2) | 1, delay, transparent) + b"\x00"
        out += b"\x2C" + struct.pack("<HHHHB", x, y, w, h, 0)
        out.append(min_code_size)
        out += sub_blocks(lzw_compress(pixels, min_code_size))
    out.append(0x3B)
    with open(path, "wb") as f:
        f.write(out)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(
        ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def write_png_rgba(path, img):
    assert img.mode == "RGBA"
    w, h = img.size
    raw = img.tobytes()
    rows = b"".join(b"\x00" + raw[y * w * 4:(y + 1) * w * 4] for y in range(h))
    data = (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(rows, 9))
            + png_chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


def write_ico(path, entries):
    """entries: list of (P-mode image, list of 256 RGB tuples, opaque mask as
    L image).  Each becomes an 8-bit DIB with its AND mask."""
    header = struct.pack("<HHH", 0, 1, len(entries))
    blobs = []
    for img, palette, mask in entries:
        w, h = img.size
        dib = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 8, 0, 0, 0, 0, 256, 0)
        dib += b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
        px = img.tobytes()
        xor_stride = (w + 3) & ~3
        for y in range(h - 1, -1, -1):  # bottom-up
            dib += px[y * w:(y + 1) * w] + b"\x00" * (xor_stride - w)
        and_stride = ((w + 31) // 32) * 4
        mpx = mask.tobytes()
        for y in range(h - 1, -1, -1):
            row = bytearray(and_stride)
            for x in range(w):
                if mpx[y * w + x] < 128:  # 1 = transparent
                    row[x >> 3] |= 0x80 >> (x & 7)
            dib += row
        blobs.append((w, h, dib))
    offset = 6 + 16 * len(entries)
    directory = b""
    for w, h, dib in blobs:
        directory += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 8, len(dib), offset)
        offset += len(dib)
    with open(path, "wb") as f:
        f.write(header + directory + b"".join(d for _, _, d in blobs))


# =============================================================================
# Small drawing helpers
# =============================================================================


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c1, c2))


def shade(c, f):
    return tuple(max(0, min(255, int(round(v * f)))) for v in c)


def smoothstep(e0, e1, x):
    t = max(0.0, min(1.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def ramp(stops, t):
    """Colour at t along [(t0, rgb), (t1, rgb), ...]."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return stops[-1][1]


def vgradient(size, stops, y0=0.0, y1=None):
    """RGB image whose rows follow the colour ramp from y0 to y1."""
    w, h = size
    y1 = h if y1 is None else y1
    col = Image.new("RGB", (1, h))
    col.putdata([ramp(stops, (y - y0) / max(1e-6, y1 - y0)) for y in range(h)])
    return col.resize((w, h), Image.Resampling.NEAREST)


def clip_to(layer, mask):
    """Copy of an RGBA layer whose alpha is limited to mask."""
    out = layer.copy()
    out.putalpha(ImageChops.multiply(layer.getchannel("A"), mask))
    return out


def solid(size, rgb, alpha):
    layer = Image.new("RGBA", size, rgb + (0,))
    layer.putalpha(alpha)
    return layer


def scaled_alpha(mask, f):
    return mask.point(lambda v: int(v * f))


def smooth_noise(size, cell, seed, octaves=1):
    """Value noise in [0, 255] as an L image: random lattice, bicubic upscale."""
    rnd = random.Random(seed)
    w, h = size
    out = None
    amp_total = 0.0
    amp = 1.0
    for o in range(octaves):
        c = max(1, cell >> o)
        gw, gh = w // c + 3, h // c + 3
        grid = Image.new("L", (gw, gh))
        grid.putdata([rnd.randrange(256) for _ in range(gw * gh)])
        layer = grid.resize((gw * c, gh * c), Image.Resampling.BICUBIC).crop((c, c, c + w, c + h))
        if out is None:
            out = layer
        else:
            out = Image.blend(out, layer, amp / (amp_total + amp))
        amp_total += amp
        amp *= 0.5
    return out


# =============================================================================
# Fish
# =============================================================================

S = 4  # fish are drawn at 4x and reduced with a hard alpha threshold


class FishPainter:
    """Draws one frame of one fish, facing left, on three layers (fins behind
    the body, body, details in front).  Coordinates given to the methods are
    in final pixels; u runs along the body from the nose (0) to the root of
    the tail (1)."""

    def __init__(self, size, phase, x0, bl, cy, ht, hb, k=0.8, p=0.55, ped=0.3, bend=0.5):
        self.w, self.h = size
        self.phase = phase
        self.x0, self.bl, self.cy, self.ht, self.hb = x0, bl, cy, ht, hb
        self.k, self.p, self.ped, self.bend = k, p, ped, bend
        big = (self.w * S, self.h * S)
        self.back = Image.new("RGBA", big, (0, 0, 0, 0))
        self.body = Image.new("RGBA", big, (0, 0, 0, 0))
        self.front = Image.new("RGBA", big, (0, 0, 0, 0))
        self.body_mask = Image.new("L", big, 0)

    # --- geometry -----------------------------------------------------------
    def profile(self, u):
        s = math.sin(math.pi * min(1.0, u) ** self.k) ** self.p if u < 1 else 0.0
        return max(s, self.ped * smoothstep(0.5, 1.0, u))

    def centre(self, u):
        # a little body wave that travels to the tail
        return self.cy + self.bend * u ** 2.5 * math.sin(self.phase - 0.9)

    def at(self, u, dy=0.0):
        return (self.x0 + u * self.bl, self.centre(u) + dy)

    def top(self, u):
        return self.at(u, -self.ht * self.profile(u))

    def bottom(self, u):
        return self.at(u, self.hb * self.profile(u))

    def root(self):
        return self.at(1.0)

    @staticmethod
    def big(pts):
        return [(x * S, y * S) for x, y in pts]

    # --- parts --------------------------------------------------------------
    def body_outline(self, n=64):
        ups = [self.top(i / n) for i in range(n + 1)]
        downs = [self.bottom(i / n) for i in range(n, -1, -1)]
        return ups + downs

    def fin(self, side, shape, fill, edge=None, ray=None, ripple=0.07, edge_w=1.0):
        """A dorsal (side=-1) or ventral (side=+1) fin.  shape is a list of
        (u, height, back_offset); points of height <= 0 form the base, tucked
        inside the body."""
        base, outer, rays = [], [], []
        for u, hgt, dx in shape:
            bx, by = self.top(u) if side < 0 else self.bottom(u)
            if hgt > 0:
                hgt *= 1 + ripple * math.sin(self.phase - 6.0 * u)
                tip = (bx + dx, by + side * hgt)
                outer.append(tip)
                rays.append(((bx, by), tip))
            else:
                base.append((bx, by - side * hgt * 1.5))
        # the outer edge is a smooth curve from the first base point to the last
        edge_pts = spline([base[0]] + outer + [base[-1]])
        self._draw_part(self.back, edge_pts + base[-2:0:-1], fill, edge, ray, rays, edge_w)

    def tail(self, shape, fill, edge=None, ray=None, sweep=0.42, tilt=7.0, edge_w=1.0, smooth=False):
        """Caudal fin; shape points are (dx, dy) from the tail root.  The tail
        beats sideways, so seen from the side it shortens twice per cycle and
        tilts a little; the near side catches more light."""
        rx, ry = self.root()
        s = math.sin(self.phase)
        scale = 1.0 - sweep * s * s
        ang = math.radians(tilt * s)
        ca, sa = math.cos(ang), math.sin(ang)
        light = 1.0 + 0.12 * s
        pts = []
        for dx, dy in shape:
            dx *= scale
            pts.append((rx + dx * ca - dy * sa, ry + dx * sa + dy * ca))
        far = [p for p in pts if p[0] > rx + 2]
        rays = [((rx, ry), p) for p in far]
        self._draw_part(self.back, spline(pts) if smooth else pts, shade(fill, light),
                        edge and shade(edge, light), ray and shade(ray, light), rays, edge_w)

    def pectoral(self, u, dy, shape, fill, edge=None, ray=None, base_angle=20.0, amp=25.0, phase_off=0.8):
        px, py = self.at(u, dy)
        s = math.sin(self.phase + phase_off)
        ang = math.radians(base_angle + amp * s)
        scale = 0.8 + 0.2 * math.cos(self.phase + phase_off)
        ca, sa = math.cos(ang), math.sin(ang)
        pts = []
        for dx, ddy in shape:
            dx *= scale
            pts.append((px + dx * ca - ddy * sa, py + dx * sa + ddy * ca))
        rays = [((px, py), p) for p in pts[1:-1]]
        self._draw_part(self.front, spline(pts + pts[:1]), fill, edge, ray, rays, 0.75)

    def _draw_part(self, layer, pts, fill, edge, ray, rays, edge_w):
        part = Image.new("RGBA", layer.size, (0, 0, 0, 0))
        d = ImageDraw.Draw(part)
        big = self.big(pts)
        d.polygon(big, fill=fill + (255,))
        mask = part.getchannel("A")
        if ray:
            lines = Image.new("RGBA", layer.size, (0, 0, 0, 0))
            dl = ImageDraw.Draw(lines)
            for a, b in rays:
                dl.line(self.big([a, b]), fill=ray + (255,), width=2)
            part.alpha_composite(clip_to(lines, mask))
        if edge:
            d.line(big + big[:1], fill=edge + (255,), width=max(1, int(edge_w * S)), joint="curve")
        layer.alpha_composite(part)

    def paint_body(self, stops, pattern=None, highlight=70, rim=0.45, stroke=None, stroke_w=1.0):
        """Fill the body with a top-to-belly colour ramp, add the pattern,
        round it off with a highlight and a darker rim."""
        size = self.body.size
        outline = self.big(self.body_outline())
        ImageDraw.Draw(self.body_mask).polygon(outline, fill=255)
        mask = self.body_mask
        top = (self.cy - self.ht) * S
        grad = vgradient(size, stops, top, (self.cy + self.hb) * S)
        self.body.paste(grad, (0, 0), mask)
        if pattern:
            pat = Image.new("RGBA", size, (0, 0, 0, 0))
            pattern(self, ImageDraw.Draw(pat))
            self.body.alpha_composite(clip_to(pat, mask))
        # highlight along the back
        hl = Image.new("L", size, 0)
        hx0, hy0 = self.at(0.12, -self.ht * 0.62)
        hx1, hy1 = self.at(0.72, -self.ht * 0.18)
        ImageDraw.Draw(hl).ellipse([hx0 * S, hy0 * S, hx1 * S, hy1 * S], fill=highlight)
        hl = ImageChops.multiply(hl.filter(ImageFilter.GaussianBlur(S * 2)), mask)
        self.body.alpha_composite(solid(size, (255, 255, 255), hl))
        # darker rim gives a rounded look
        inner = mask.filter(ImageFilter.MinFilter(S * 2 + 1)).filter(ImageFilter.GaussianBlur(S * 1.5))
        edge = scaled_alpha(ImageChops.subtract(mask, inner), rim)
        self.body.alpha_composite(solid(size, (0, 0, 0), edge))
        if stroke:
            ImageDraw.Draw(self.body).line(outline + outline[:1], fill=stroke + (255,),
                                           width=max(1, int(S * stroke_w)), joint="curve")

    def eye(self, u, dy, r, iris, ring=(20, 20, 20)):
        d = ImageDraw.Draw(self.front)
        x, y = self.at(u, dy)

        def disc(cx, cy, rad, col):
            d.ellipse([(cx - rad) * S, (cy - rad) * S, (cx + rad) * S, (cy + rad) * S], fill=col + (255,))

        disc(x, y, r + 0.5, ring)
        disc(x, y, r, iris)
        disc(x - r * 0.08, y, r * 0.58, (10, 10, 14))
        disc(x - r * 0.3, y - r * 0.32, r * 0.26, (255, 255, 255))

    def line(self, pts, col, w=1.0, layer=None):
        d = ImageDraw.Draw(layer or self.front)
        d.line(self.big(pts), fill=col + (255,), width=max(1, int(w * S)), joint="curve")

    def finish(self, outline_col):
        """Compose the layers, add a dark outline, reduce to final size with
        a hard alpha threshold.  Returns an RGBA image."""
        img = self.back.copy()
        img.alpha_composite(self.body)
        img.alpha_composite(self.front)
        sil = img.getchannel("A").point(lambda a: 255 if a > 100 else 0)
        ring = sil.filter(ImageFilter.MaxFilter(2 * S - 1))
        out = solid(img.size, outline_col, ring)
        out.alpha_composite(img)
        small = out.resize((self.w, self.h), Image.Resampling.BOX)
        small.putalpha(small.getchannel("A").point(lambda a: 255 if a >= 128 else 0))
        return small


def spline(pts, n=6):
    """Catmull-Rom curve through pts (end points repeated)."""
    ext = [pts[0]] + list(pts) + [pts[-1]]
    out = []
    for i in range(1, len(ext) - 2):
        p0, p1, p2, p3 = ext[i - 1], ext[i], ext[i + 1], ext[i + 2]
        for j in range(n):
            t = j / n
            out.append(tuple(0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t * t
                                    + (-a + 3 * b - 3 * c + d) * t ** 3)
                             for a, b, c, d in zip(p0, p1, p2, p3)))
    out.append(pts[-1])
    return out


def curve(p0, p1, p2, n=12):
    """Quadratic Bezier points."""
    return [((1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0],
             (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1])
            for t in (i / n for i in range(n + 1))]


def band(p, u, width, lean=0.0, bulge=0.0, over=4.0):
    """Polygon of a vertical band across the body centred at u (a fraction of
    the body length), width in pixels, reaching `over` pixels past the body;
    lean is how far the band has moved backwards at the top edge of the body
    (and forwards at the bottom), bulge bows the middle forwards."""
    x, _ = p.at(u)
    y0, y1 = p.cy - p.ht - over, p.cy + p.hb + over
    lt, lb = lean * (p.ht + over) / p.ht, lean * (p.hb + over) / p.hb
    hw = width / 2
    left = curve((x - hw + lt, y0), (x - hw - bulge, p.cy), (x - hw - lb, y1))
    right = curve((x + hw - lb, y1), (x + hw - bulge, p.cy), (x + hw + lt, y0))
    return left + right


# ---- the six fish -----------------------------------------------------------

def fish_angel(phase):
    """Tall gold-and-silver angelfish with black bars and trailing fins."""
    p = FishPainter((90, 77), phase, x0=5, bl=50, cy=38.5, ht=15.5, hb=15.5, k=0.8, p=0.55, ped=0.3)
    fin_c, fin_edge, fin_ray = (226, 220, 196), (205, 170, 80), (170, 165, 150)
    bar = (34, 30, 38)
    p.fin(-1, [(0.14, -1, 0), (0.24, 6, 2), (0.38, 13, 8), (0.52, 18, 16), (0.6, 20, 22),
               (0.66, 15, 18), (0.8, 7, 8), (0.93, -1, 0)], fin_c, fin_edge, fin_ray)
    p.fin(1, [(0.2, -1, 0), (0.3, 7, 3), (0.44, 14, 10), (0.56, 19, 18), (0.62, 21, 23),
              (0.68, 15, 18), (0.82, 7, 8), (0.93, -1, 0)], fin_c, fin_edge, fin_ray)
    # long ventral filaments
    p.fin(1, [(0.28, -1, 0), (0.31, 9, 3), (0.33, 20, 10), (0.35, 9, 5), (0.37, -1, 0)],
          (205, 200, 180), (200, 160, 70), None, ripple=0.15)
    p.tail([(-3, -3.5), (5, -6), (15, -10), (28, -15), (21, -8), (22, 0), (21, 8), (28, 15),
            (15, 10), (5, 6), (-3, 3.5)], fin_c, fin_edge, fin_ray, sweep=0.38)
    bars = [(0.17, 4.5, 1.5), (0.47, 6.5, 3.5), (0.8, 4.5, 3.0)]
    # the bars carry on through the fins
    layer = Image.new("RGBA", p.back.size, (0, 0, 0, 0))
    for u, wdt, lean in bars[1:]:
        ImageDraw.Draw(layer).polygon(p.big(band(p, u, wdt, lean=lean, over=24)), fill=bar + (255,))
    p.back.alpha_composite(clip_to(layer, p.back.getchannel("A")))

    def pattern(p, d):
        for u, wdt, lean in bars:
            d.polygon(p.big(band(p, u, wdt, lean=lean)), fill=bar + (255,))

    p.paint_body([(0, (200, 160, 60)), (0.35, (222, 205, 150)), (0.7, (232, 230, 220)),
                  (1, (205, 205, 200))], pattern, stroke=(120, 100, 60))
    p.pectoral(0.32, 2, [(0, -1.5), (5, -2.5), (9, -1), (10, 0.5), (5, 2), (0, 1.5)],
               (230, 225, 205), (170, 150, 100), None, base_angle=15, amp=25)
    p.eye(0.1, -3.5, 3.3, (200, 40, 30))
    p.line(curve(p.at(0.2, -8), p.at(0.25, 0), p.at(0.2, 8)), (90, 80, 70), 0.6)
    p.line([p.at(0.0, 1.0), p.at(0.04, 1.4)], (60, 40, 30), 0.7)
    return p.finish((28, 24, 30))


def fish_clown(phase):
    """Orange clownfish with three white bands edged in black."""
    p = FishPainter((70, 48), phase, x0=3, bl=46, cy=24, ht=12.5, hb=11.5, k=0.85, p=0.6, ped=0.34)
    orange, black = (244, 118, 18), (22, 16, 14)
    p.fin(-1, [(0.26, -1, 0), (0.3, 4, 1), (0.36, 5.5, 1), (0.42, 4.6, 1), (0.48, 5.2, 1), (0.52, 3.5, 1),
               (0.56, 7, 1.5), (0.66, 8.5, 2), (0.76, 8, 2.5), (0.84, 5.5, 3), (0.88, 1, 2),
               (0.9, -1, 0)], orange, black, (215, 95, 10), edge_w=1.3)
    p.fin(1, [(0.62, -1, 0), (0.66, 5, 1), (0.74, 7, 2.5), (0.8, 6, 3), (0.85, 2, 2), (0.86, -1, 0)],
          orange, black, (215, 95, 10), edge_w=1.3)
    p.fin(1, [(0.3, -1, 0), (0.36, 6, 3), (0.42, 7, 4.5), (0.45, 4, 2), (0.44, -1, 0)],
          orange, black, (215, 95, 10), edge_w=1.3, ripple=0.12)
    p.tail([(-3, -4), (3, -5), (9, -8), (13.5, -7.5), (16, -4), (16.5, 0), (16, 4), (13.5, 7.5),
            (9, 8), (3, 5), (-3, 4)], orange, black, (215, 95, 10), edge_w=1.3, smooth=True)
    white = (250, 250, 246)

    def pattern(p, d):
        for u, wdt, bulge in ((0.22, 4.5, 2.5), (0.52, 5.5, 3.5), (0.92, 3.5, 0.5)):
            d.polygon(p.big(band(p, u, wdt + 2.2, bulge=bulge)), fill=black + (255,))
            d.polygon(p.big(band(p, u, wdt, bulge=bulge)), fill=white + (255,))

    p.paint_body([(0, (228, 92, 8)), (0.4, (248, 128, 26)), (1, (255, 168, 80))], pattern,
                 stroke=(150, 60, 10))
    p.pectoral(0.3, 3, [(0, -1.5), (4, -2.5), (7.5, -1), (8, 1), (4, 2), (0, 1.5)],
               orange, black, (215, 95, 10), base_angle=25, amp=28)
    p.eye(0.11, -3, 3.0, (240, 140, 40))
    p.line([p.at(0.0, 1.5), p.at(0.04, 2.0)], (90, 30, 10), 0.7)
    return p.finish((30, 14, 8))


def fish_wrasse(phase):
    """Long slender green wrasse with a pink stripe and lunate tail."""
    p = FishPainter((105, 49), phase, x0=3, bl=75, cy=24.5, ht=10, hb=9.5, k=0.72, p=0.5, ped=0.38, bend=0.7)
    fin_c, fin_edge, ray = (226, 92, 150), (60, 90, 210), (190, 60, 120)
    p.fin(-1, [(0.18, -1, 0), (0.2, 4, 0.5), (0.5, 5, 1), (0.8, 5.5, 2), (0.88, 3, 2), (0.9, -1, 0)],
          fin_c, fin_edge, ray)
    p.fin(1, [(0.52, -1, 0), (0.55, 4, 0.5), (0.84, 4.5, 2), (0.88, -1, 0)], fin_c, fin_edge, ray)
    p.tail([(-3, -3.5), (6, -6), (16, -11), (23, -14), (16, -5), (13, 0), (16, 5), (23, 14),
            (16, 11), (6, 6), (-3, 3.5)], (40, 170, 130), fin_edge, (30, 130, 100), sweep=0.4)
    # pink crescent in the tail
    p.tail([(8, -8), (15, -11.5), (12, -4), (10.5, 0), (12, 4), (15, 11.5), (8, 8), (9.5, 0)],
           fin_c, None, None, sweep=0.4)
    pink, blue = (236, 86, 160), (70, 110, 230)

    def pattern(p, d):
        # lateral stripe from the eye to the tail
        up = [p.at(u, -1.8 + 1.2 * u) for u in (0.12, 0.3, 0.5, 0.7, 0.9, 1.02)]
        dn = [p.at(u, 1.8 + 0.6 * u) for u in (1.02, 0.9, 0.7, 0.5, 0.3, 0.12)]
        d.polygon(p.big(up + dn), fill=pink + (255,))
        # head markings
        for off in (-4.5, 3.5):
            d.line(p.big(curve(p.at(0.02, off * 0.4), p.at(0.1, off), p.at(0.2, off * 0.6))),
                   fill=pink + (255,), width=S + 2, joint="curve")
        d.line(p.big([p.at(0.14, -1.8), p.at(0.22, -8)]), fill=blue + (255,), width=S, joint="curve")

    p.paint_body([(0, (18, 118, 102)), (0.4, (56, 178, 140)), (0.75, (168, 222, 150)),
                  (1, (214, 236, 170))], pattern, stroke=(20, 90, 70))
    p.pectoral(0.24, 2.5, [(0, -1.2), (4, -2), (7, -0.5), (7, 1), (3.5, 1.6), (0, 1.2)],
               (180, 225, 200), (80, 150, 130), None, base_angle=18, amp=30)
    p.eye(0.075, -2.5, 2.6, (230, 80, 40))
    p.line([p.at(0.0, 1.0), p.at(0.03, 1.3)], (20, 60, 50), 0.6)
    return p.finish((12, 40, 40))


def fish_tang(phase):
    """Royal blue tang with the black 'palette' marking and a yellow tail."""
    p = FishPainter((95, 62), phase, x0=4, bl=63, cy=31, ht=18.5, hb=16.5, k=0.78, p=0.55, ped=0.26)
    blue, black, yellow = (36, 88, 214), (16, 18, 34), (250, 214, 40)
    p.fin(-1, [(0.12, -1, 0), (0.16, 5, 1), (0.5, 7.5, 2), (0.8, 7, 3), (0.92, 3, 3), (0.95, -1, 0)],
          blue, black, (28, 70, 180), edge_w=1.2)
    p.fin(1, [(0.4, -1, 0), (0.44, 5, 1), (0.75, 6.5, 2.5), (0.9, 3, 3), (0.92, -1, 0)],
          blue, black, (28, 70, 180), edge_w=1.2)
    p.tail([(-3, -4), (8, -8), (18, -13), (21.5, -12), (17, -4), (16, 0), (17, 4), (21.5, 12),
            (18, 13), (8, 8), (-3, 4)], yellow, black, (225, 180, 20), edge_w=1.2)

    def pattern(p, d):
        band_top = [p.at(u, dy) for u, dy in ((0.1, -6.5), (0.25, -12.5), (0.45, -14.5), (0.7, -11.5),
                                               (0.9, -5.5), (1.03, -2.5))]
        band_low = [p.at(u, dy) for u, dy in ((1.03, 2.5), (0.88, 1.5), (0.75, 3.5), (0.6, 6.5), (0.45, 6.5),
                                               (0.32, 3.5), (0.2, -0.5), (0.1, -1.5))]
        d.polygon(p.big(band_top + band_low), fill=black + (255,))
        cx, cy = p.at(0.5, -3.5)
        d.ellipse(p.big([(cx - 11, cy - 4.5), (cx + 10, cy + 4.5)]), fill=(38, 94, 220, 255))
        # yellow near the tail root
        x1, y1 = p.at(0.96, 0)
        d.polygon(p.big([(x1 - 6, y1 - 1), (x1 + 4, y1 - 6), (x1 + 4, y1 + 6)]), fill=yellow + (255,))

    p.paint_body([(0, (22, 56, 170)), (0.45, (36, 96, 220)), (1, (84, 140, 236))], pattern,
                 stroke=(14, 40, 120))
    p.pectoral(0.3, 4, [(0, -1.5), (5, -2.5), (9, -1), (9.5, 1), (5, 2), (0, 1.5)],
               (245, 205, 50), (30, 60, 140), (210, 170, 30), base_angle=18, amp=25)
    p.eye(0.11, -4, 3.1, (30, 40, 60), ring=(10, 10, 20))
    p.line([p.at(0.0, 1.5), p.at(0.035, 2.0)], (10, 20, 60), 0.7)
    return p.finish((10, 14, 40))


def fish_puffer(phase):
    """Round spotted puffer with a white belly and busy little fins."""
    p = FishPainter((95, 62), phase, x0=8, bl=62, cy=31, ht=23, hb=24, k=0.95, p=0.55, ped=0.22, bend=0.3)
    fin_c, fin_edge = (216, 190, 110), (110, 80, 30)
    p.fin(-1, [(0.68, -1, 0), (0.72, 6, 3), (0.78, 8, 6), (0.84, 4, 4), (0.86, -1, 0)],
          fin_c, fin_edge, (170, 140, 70), ripple=0.15)
    p.fin(1, [(0.68, -1, 0), (0.72, 6, 3), (0.78, 8, 6), (0.84, 4, 4), (0.86, -1, 0)],
          fin_c, fin_edge, (170, 140, 70), ripple=0.15)
    p.tail([(-3, -5), (4, -7), (12, -10), (17, -7), (18.5, 0), (17, 7), (12, 10), (4, 7), (-3, 5)],
           fin_c, fin_edge, (170, 140, 70), sweep=0.45, tilt=10, smooth=True)
    spots = (92, 66, 28)
    rnd = random.Random(5)

    def pattern(p, d):
        # white belly
        belly = [p.at(u, 4 + 6 * math.sin(math.pi * u)) for u in (0.05, 0.25, 0.5, 0.75, 0.95)]
        d.polygon(p.big(belly + [(80, 62), (0, 62)]), fill=(244, 240, 226, 255))
        for _ in range(46):
            u = rnd.uniform(0.12, 0.95)
            dy = rnd.uniform(-22, 6 + 5 * math.sin(math.pi * u) - 1)
            r = rnd.uniform(1.0, 1.8)
            x, y = p.at(u, dy)
            d.ellipse(p.big([(x - r, y - r), (x + r, y + r)]), fill=spots + (255,))

    p.paint_body([(0, (150, 118, 48)), (0.3, (190, 160, 80)), (0.55, (220, 200, 130)),
                  (1, (240, 236, 220))], pattern, highlight=60, stroke=(110, 80, 30))
    p.pectoral(0.42, 1, [(0, -2.5), (4, -4.5), (9, -3.5), (10.5, 0), (9, 3.5), (4, 4.5), (0, 2.5)],
               (230, 205, 130), fin_edge, (180, 150, 80), base_angle=0, amp=40, phase_off=0.0)
    p.eye(0.2, -7, 4.6, (150, 170, 60))
    p.line(curve(p.at(0.0, 2.0), p.at(0.02, 3.4), p.at(0.05, 3.0)), (80, 50, 20), 0.8)
    return p.finish((50, 34, 12))


def fish_butterfly(phase):
    """Yellow butterflyfish: white face, black eye band, eye-spot on the back fin."""
    p = FishPainter((90, 77), phase, x0=10, bl=50, cy=38.5, ht=21, hb=20, k=0.9, p=0.55, ped=0.25)
    yellow, black, white = (252, 210, 24), (22, 22, 30), (248, 248, 240)
    p.fin(-1, [(0.25, -1, 0), (0.3, 7, 2), (0.5, 12.5, 5), (0.7, 12.5, 8), (0.86, 8, 6.5), (0.96, -1, 0)],
          yellow, black, (230, 180, 10), edge_w=1.1)
    p.fin(1, [(0.32, -1, 0), (0.38, 7, 2), (0.55, 11.5, 5), (0.72, 11.5, 8), (0.87, 7, 6), (0.96, -1, 0)],
          yellow, black, (230, 180, 10), edge_w=1.1)
    p.tail([(-3, -4.5), (5, -7), (12, -9.5), (16, -7), (17, 0), (16, 7), (12, 9.5), (5, 7), (-3, 4.5)],
           (250, 236, 150), (200, 160, 20), (230, 200, 90), sweep=0.42, smooth=True)
    # snout
    nx, ny = p.at(0.02, 1.5)
    p.line([(nx, ny - 1.2), (nx - 6, ny), (nx, ny + 1.2)], yellow, 2.0, layer=p.back)
    ImageDraw.Draw(p.back).polygon(p.big([(nx + 2, ny - 2.6), (nx - 6, ny - 0.5), (nx - 6, ny + 0.6),
                                          (nx + 2, ny + 2.6)]), fill=yellow + (255,))

    def pattern(p, d):
        d.polygon(p.big(band(p, 0.16, 14, lean=-4)), fill=white + (255,))
        d.polygon(p.big(band(p, 0.13, 4.5, lean=-1.5)), fill=black + (255,))
        d.polygon(p.big(band(p, 0.97, 3.5)), fill=black + (255,))
        for u in (0.36, 0.46, 0.56, 0.66, 0.76):
            d.line(p.big([p.at(u + 0.06, -22), p.at(u - 0.06, 22)]), fill=(232, 178, 12, 255), width=S)

    p.paint_body([(0, (246, 194, 12)), (0.4, (252, 214, 40)), (1, (255, 236, 130))], pattern,
                 highlight=50, rim=0.15, stroke=(226, 170, 12), stroke_w=0.5)
    p.pectoral(0.33, 4, [(0, -1.5), (5, -2.5), (8.5, -1), (9, 1), (5, 2), (0, 1.5)],
               (250, 240, 180), (190, 150, 40), None, base_angle=20, amp=25)
    p.eye(0.12, -3, 2.6, (40, 40, 46), ring=(240, 240, 230))
    return p.finish((40, 30, 12))


def palette_frames(frames, ncolors):
    """Quantise RGBA frames (hard alpha) to one shared palette of ncolors-1
    colours plus a transparent index (the last one).  Returns the palette and
    index rasters (bytes, row-major)."""
    w, h = frames[0].size
    opaque = []
    for f in frames:
        for px in f.getdata():
            if px[3]:
                opaque.append(px[:3])
    sample = Image.new("RGB", (len(opaque), 1))
    sample.putdata(opaque)
    q = sample.quantize(colors=ncolors - 1, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    pal = q.getpalette()[:3 * (ncolors - 1)]
    used = len(pal) // 3
    colours = [tuple(pal[i * 3:i * 3 + 3]) for i in range(used)]
    padded = Image.new("P", (1, 1))
    padded.putpalette(pal + pal[:3] * (256 - used))
    trans = ncolors - 1
    rasters = []
    for f in frames:
        idx = f.convert("RGB").quantize(palette=padded, dither=Image.Dither.NONE).tobytes()
        alpha = f.getchannel("A").tobytes()
        rasters.append(bytes(trans if not a else (i if i < used else 0) for i, a in zip(idx, alpha)))
    colours += [(0, 0, 0)] * (ncolors - 1 - used)
    colours.append((40, 110, 160))  # transparent: a water blue, never shown
    return colours, rasters


def crop_frame(raster, w, h, trans):
    xs = [i % w for i, v in enumerate(raster) if v != trans]
    ys = [i // w for i, v in enumerate(raster) if v != trans]
    x0, x1, y0, y1 = min(xs), max(xs) + 1, min(ys), max(ys) + 1
    rows = [raster[y * w + x0:y * w + x1] for y in range(y0, y1)]
    return (x0, y0, x1 - x0, y1 - y0, b"".join(rows))


def mirror(raster, w):
    return b"".join(raster[i:i + w][::-1] for i in range(0, len(raster), w))


FISH = [  # (file stem, painter, frames, colours)
    ("fish1", fish_angel, 20, 256),
    ("fish2", fish_clown, 10, 256),
    ("fish3", fish_wrasse, 19, 256),
    ("fish4", fish_tang, 19, 256),
    ("fish5", fish_puffer, 20, 16),
    ("fish6", fish_butterfly, 20, 16),
]


def make_fish(stem, painter, nframes, ncolors, preview=None):
    frames = [painter(2 * math.pi * i / nframes) for i in range(nframes)]
    w, h = frames[0].size
    palette, rasters = palette_frames(frames, ncolors)
    trans = ncolors - 1
    for suffix, rs in (("_l", rasters), ("_r", [mirror(r, w) for r in rasters])):
        write_gif(os.path.join(PAYLOAD_DIR, stem + suffix + ".gif"), (w, h), palette,
                  [crop_frame(r, w, h, trans) for r in rs], trans, delay=5, loop=True)
    if preview is not None:
        preview.append(frames)


# =============================================================================
# Bubbles
# =============================================================================

WATER = (34, 104, 152)  # mid-water colour the GIF bubbles are blended against


def bubble_rgba(size):
    """A soft translucent air bubble: bright rim, pale centre, a glossy
    highlight top-left and a faint reflection bottom-right."""
    n = 6  # supersamples per axis
    c = size / 2.0
    rad = c - 0.6
    img = Image.new("RGBA", (size, size))
    px = []
    for y in range(size):
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    dx = (x + (sx + 0.5) / n - c) / rad
                    dy = (y + (sy + 0.5) / n - c) / rad
                    r = math.hypot(dx, dy)
                    if r > 1.0:
                        continue
                    rim = math.exp(-((r - 0.9) / 0.09) ** 2)
                    body = 0.10 + 0.28 * r ** 4
                    gloss = math.exp(-(((dx + 0.38) / 0.2) ** 2 + ((dy + 0.4) / 0.15) ** 2))
                    glint = math.exp(-(((dx - 0.42) / 0.22) ** 2 + ((dy - 0.48) / 0.12) ** 2)) * 0.45
                    a = min(1.0, body + 0.75 * rim + gloss + glint)
                    col = [lerp(b, w, min(1.0, 0.2 + rim + gloss + glint))
                           for b, w in zip((150, 214, 240), (240, 252, 255))]
                    for i in range(3):
                        acc[i] += col[i] * a
                    acc[3] += a
            a = acc[3] / (n * n)
            if acc[3] > 0:
                px.append(tuple(int(round(v / acc[3])) for v in acc[:3]) + (int(round(a * 255)),))
            else:
                px.append((0, 0, 0, 0))
    img.putdata(px)
    return img


def bubble_gif(rgba, threshold):
    """GIF bubbles can only be on or off: keep the rim and highlight, blended
    over mid water, and leave the pale centre transparent."""
    out = Image.new("RGBA", rgba.size)
    px = []
    for r, g, b, a in rgba.getdata():
        if a < threshold:
            px.append((0, 0, 0, 0))
        else:
            t = min(1.0, a / 255 * 1.3)
            px.append(mix(WATER, (r, g, b), t) + (255,))
    out.putdata(px)
    return out


def make_bubbles():
    big, small = bubble_rgba(24), bubble_rgba(14)
    write_png_rgba(os.path.join(PAYLOAD_DIR, "bubble1.png"), big)
    write_png_rgba(os.path.join(PAYLOAD_DIR, "bubble2.png"), small)
    for name, img, colours in (("bubble1.gif", bubble_gif(big, 110), 256),
                               ("bubble2.gif", bubble_gif(bubble_rgba(11), 100), 128)):
        palette, (raster,) = palette_frames([img], colours)
        w, h = img.size
        write_gif(os.path.join(PAYLOAD_DIR, name), (w, h), palette, [(0, 0, w, h, raster)],
                  colours - 1, delay=0, loop=False)


# =============================================================================
# Underwater scene (wallpaper background)
# =============================================================================

SW, SH = 1024, 768


def wavy(rnd, n_terms, amp):
    """A random smooth 1-D function of x: sum of a few sines."""
    terms = [(rnd.uniform(0.3, 1.0) * amp / (i + 1), rnd.uniform(0.002, 0.006) * (i + 1.3),
              rnd.uniform(0, 2 * math.pi)) for i in range(n_terms)]
    return lambda x: sum(a * math.sin(f * x + ph) for a, f, ph in terms)


def aa_mask(draw_fn, size=(SW, SH), k=3):
    """Draw a shape at k times the size and reduce it: an anti-aliased L mask.
    draw_fn(draw, k) draws with coordinates multiplied by k."""
    big = Image.new("L", (size[0] * k, size[1] * k), 0)
    draw_fn(ImageDraw.Draw(big), k)
    return big.resize(size, Image.Resampling.BOX)


def poly_mask(pts):
    return aa_mask(lambda d, k: d.polygon([(x * k, y * k) for x, y in pts], fill=255))


def paint(base, rgb_or_img, mask):
    if isinstance(rgb_or_img, tuple):
        rgb_or_img = Image.new("RGB", base.size, rgb_or_img)
    base.paste(rgb_or_img, (0, 0), mask)


def top_edge(mask, dy, blur):
    """The upper rim of a shape, where light from the surface catches it."""
    return ImageChops.subtract(mask, ImageChops.offset(mask, 0, dy)).filter(ImageFilter.GaussianBlur(blur))


def rock_points(cx, ground, rx, ry, rnd, n=56, peak=0.0):
    f = wavy(rnd, 5, 1.0)
    pts = []
    for i in range(n + 1):
        t = math.pi + math.pi * i / n
        rough = 1 + 0.09 * f(i * 40) + rnd.uniform(-0.015, 0.015)
        lift = 1 + peak * math.exp(-((i / n - 0.4) / 0.18) ** 2)
        pts.append((cx + rx * math.cos(t) * rough, ground + ry * math.sin(t) * rough * lift))
    pts += [(cx + rx * 1.05, SH + 40), (cx - rx * 1.05, SH + 40)]
    return pts


def paint_rock(base, pts, lit, dark, seed, haze=0.0):
    """A boulder: lit from above, mottled, with a bright rim; haze blends it
    into the water behind for distant rocks."""
    mask = poly_mask(pts)
    ys = [y for _, y in pts if y < SH]
    water = base.copy()
    grad = vgradient(base.size, [(0, lit), (0.5, mix(lit, dark, 0.6)), (1, dark)], min(ys), max(ys))
    tex = smooth_noise(base.size, 10, seed, octaves=4)
    tex = Image.merge("RGB", (tex, tex, tex))
    grad = Image.blend(grad, ImageChops.overlay(grad, tex), 0.55)
    dots = smooth_noise(base.size, 3, seed + 1).point(lambda v: 255 if v > 180 else 0)
    grad.paste(Image.new("RGB", base.size, mix(dark, (60, 110, 70), 0.5)), (0, 0),
               scaled_alpha(ImageChops.multiply(dots, top_edge(mask, 40, 12)), 0.6))
    paint(base, grad, mask)
    paint(base, (160, 210, 214), scaled_alpha(top_edge(mask, 6, 2.5), 0.5))
    if haze:
        base.paste(water, (0, 0), scaled_alpha(mask, haze))
    return mask


def seaweed(d, k, x0, y0, height, width, sway, phase, lean=0.0):
    """A blade of kelp from (x0, y0) upwards, swaying, with a wavy outline."""
    left, right = [], []
    n = 48
    for i in range(n + 1):
        t = i / n
        x = x0 + lean * t * height + sway * math.sin(phase + t * 4.2) * t
        y = y0 - t * height
        wdt = width * (0.35 + 0.75 * math.sin(math.pi * min(1.0, t * 0.85 + 0.12))) \
            * (0.85 + 0.2 * math.sin(t * 23 + phase))
        wdt *= 1 - smoothstep(0.85, 1.0, t) * 0.9
        left.append(((x - wdt / 2) * k, y * k))
        right.append(((x + wdt / 2) * k, y * k))
    d.polygon(left + right[::-1], fill=255)


def paint_kelp(img, blades, top_col, base_col, y0, y1, haze=0.0):
    water = img.copy()
    mask = aa_mask(lambda d, k: [seaweed(d, k, *b) for b in blades])
    paint(img, vgradient(img.size, [(0, top_col), (1, base_col)], y0, y1), mask)
    # light on the left edges, shadow on the right ones
    paint(img, mix(top_col, (230, 255, 200), 0.5),
          scaled_alpha(ImageChops.subtract(mask, ImageChops.offset(mask, 3, 0)), 0.45))
    paint(img, shade(base_col, 0.5),
          scaled_alpha(ImageChops.subtract(mask, ImageChops.offset(mask, -3, 0)), 0.5))
    if haze:
        img.paste(water, (0, 0), scaled_alpha(mask, haze))


def coral_branch(d, k, x, y, ang, length, width, depth, rnd):
    x1 = x + math.cos(ang) * length
    y1 = y - math.sin(ang) * length
    d.line([(x * k, y * k), (x1 * k, y1 * k)], fill=255, width=max(1, int(width * k)))
    r = width / 2
    d.ellipse([(x1 - r) * k, (y1 - r) * k, (x1 + r) * k, (y1 + r) * k], fill=255)
    if depth:
        for da in (-0.45, 0.4):
            coral_branch(d, k, x1, y1, ang + da + rnd.uniform(-0.2, 0.2), length * rnd.uniform(0.62, 0.8),
                         width * 0.78, depth - 1, rnd)


def paint_coral(img, mask, lit, dark, y0, y1):
    paint(img, vgradient(img.size, [(0, lit), (1, dark)], y0, y1), mask)
    paint(img, shade(dark, 0.55), scaled_alpha(ImageChops.subtract(mask, ImageChops.offset(mask, 0, -3)), 0.6))
    paint(img, mix(lit, (255, 255, 240), 0.5), scaled_alpha(top_edge(mask, 2, 0.6), 0.6))


def make_scene(path):
    rnd = random.Random(2024)
    img = vgradient((SW, SH), [(0, (86, 190, 212)), (0.1, (52, 156, 194)), (0.4, (24, 100, 156)),
                               (0.72, (14, 64, 112)), (1, (8, 38, 80))])

    # the surface seen from below: a shimmering bright band
    band_h = 90
    shimmer = Image.new("L", (SW // 2, band_h // 2))
    vals = []
    for y in range(band_h // 2):
        for x in range(SW // 2):
            v = (math.sin(x * 0.11 + 2.3 * math.sin(y * 0.35 + x * 0.02))
                 + math.sin(x * 0.047 - y * 0.5 + 1.7 * math.sin(x * 0.031)))
            fade = 1 - y / (band_h / 2)
            vals.append(int(255 * max(0.0, 1 - abs(v) * 1.6) ** 2 * fade * fade))
    shimmer.putdata(vals)
    shimmer = shimmer.resize((SW, band_h), Image.Resampling.BICUBIC).filter(ImageFilter.GaussianBlur(1.2))
    full = Image.new("L", (SW, SH), 0)
    full.paste(shimmer, (0, 0))
    paint(img, (215, 250, 255), scaled_alpha(full, 0.55))
    glow = vgradient((SW, SH), [(0, (255, 255, 255)), (1, (0, 0, 0))], 0, 160).convert("L")
    paint(img, (190, 240, 250), scaled_alpha(glow, 0.35))

    # far reef ridge, almost lost in the blue, and a nearer one
    far = wavy(rnd, 5, 40)
    mask = poly_mask([(x, 505 + far(x)) for x in range(-10, SW + 11, 8)] + [(SW + 10, SH), (-10, SH)])
    paint(img, (26, 88, 132), scaled_alpha(mask.filter(ImageFilter.GaussianBlur(4)), 0.6))
    mid = wavy(rnd, 5, 26)
    ridge = lambda x: 585 + mid(x) + 20 * math.sin(x * 0.004)
    mask = poly_mask([(x, ridge(x)) for x in range(-10, SW + 11, 8)] + [(SW + 10, SH), (-10, SH)])
    paint(img, (22, 76, 114), scaled_alpha(mask.filter(ImageFilter.GaussianBlur(2)), 0.8))
    # distant kelp on the ridge
    paint_kelp(img, [(x, ridge(x) + 8, rnd.uniform(90, 210), rnd.uniform(9, 14), rnd.uniform(10, 25),
                      rnd.uniform(0, 6)) for x in (70, 96, 128, 415, 440, 705, 900, 925, 960)],
               (40, 100, 104), (24, 72, 92), 380, 600, haze=0.55)
    # mid-distance rock stacks at both sides
    for cx, ground, rx, ry, peak, seed in ((120, 640, 150, 170, 0.5, 31), (925, 650, 140, 190, 0.6, 32),
                                           (330, 640, 80, 60, 0.2, 33)):
        paint_rock(img, rock_points(cx, ground, rx, ry, random.Random(seed), peak=peak),
                   (80, 130, 150), (26, 62, 92), seed, haze=0.55)

    # sand floor with ripples, grain and caustics
    horizon = wavy(rnd, 4, 14)
    top = [640 + horizon(x) - 14 * math.sin(x * 0.004 + 0.5) for x in range(SW)]
    sand_y0 = int(min(top)) - 2
    grain = smooth_noise((SW, SH - sand_y0), 4, 77, octaves=3).load()
    warp = smooth_noise((SW, SH - sand_y0), 40, 78).load()
    sand = Image.new("RGBA", (SW, SH - sand_y0), (0, 0, 0, 0))
    spx = sand.load()
    far_col, near_col = (44, 104, 134), (200, 186, 142)
    for y in range(sand_y0, SH):
        for x in range(SW):
            t0 = top[x]
            if y < t0 - 6:
                continue
            depth = max(0.0, (y - t0) / (SH - t0))  # 0 at the horizon, 1 at the bottom edge
            cov = smoothstep(-6, 3, y - t0)
            w = warp[x, y - sand_y0] / 255.0
            freq = 0.10 / (0.35 + depth)
            ripple = math.sin(y * freq * 2.6 + x * 0.018 + 5 * w)
            ca = math.sin(x * 0.031 + 3.1 * w + y * 0.05) + math.sin(x * -0.017 + y * 0.09 + 4.0 * w)
            caustic = max(0.0, 1 - abs(ca) * 1.3) ** 4 * depth
            base = mix(far_col, near_col, smoothstep(0.0, 1.0, depth) ** 0.7)
            f = 1 + 0.08 * ripple * depth + (grain[x, y - sand_y0] - 128) / 900.0 * depth
            col = tuple(min(255, int(c * f + 110 * caustic)) for c in base)
            spx[x, y - sand_y0] = col + (int(255 * cov),)
    img.paste(sand.convert("RGB"), (0, sand_y0), sand.getchannel("A"))

    # depth haze over the horizon
    haze = vgradient((SW, SH), [(0, (0, 0, 0)), (0.55, (255, 255, 255)), (1, (0, 0, 0))], 500, 700).convert("L")
    paint(img, (38, 108, 148), scaled_alpha(haze, 0.4))

    # light rays from the surface, fading with depth
    rays = Image.new("L", (SW // 2, SH // 2), 0)
    dr = ImageDraw.Draw(rays)
    sun_x = SW * 0.62
    for _ in range(16):
        x = rnd.uniform(-150, SW + 150)
        wdt = rnd.uniform(10, 46)
        spread = (x - sun_x) * 0.55
        dr.polygon([((x - wdt / 2) / 2, 0), ((x + wdt / 2) / 2, 0),
                    ((x + wdt + spread) / 2, SH / 2), ((x - wdt + spread) / 2, SH / 2)],
                   fill=rnd.randint(40, 110))
    rays = rays.filter(ImageFilter.GaussianBlur(7)).resize((SW, SH), Image.Resampling.BICUBIC)
    fade = vgradient((SW, SH), [(0, (255,) * 3), (0.6, (90,) * 3), (1, (0,) * 3)], 0, 680).convert("L")
    paint(img, (200, 246, 255), scaled_alpha(ImageChops.multiply(rays, fade), 0.6))

    # foreground: kelp behind the rocks, rocks, coral, kelp in front
    def shadow(cx, ground, rx):
        m = aa_mask(lambda d, k: d.ellipse([(cx - rx * 1.2) * k, (ground - 16) * k,
                                            (cx + rx * 1.2) * k, (ground + 24) * k], fill=255))
        paint(img, (12, 32, 44), scaled_alpha(m.filter(ImageFilter.GaussianBlur(12)), 0.55))

    paint_kelp(img, [(50, 720, 360, 26, 30, 0.5, 0.05), (88, 715, 280, 22, 25, 2.0, -0.02),
                     (128, 720, 220, 18, 20, 3.7, 0.03), (870, 720, 300, 24, 28, 1.2, -0.05),
                     (932, 725, 400, 28, 35, 3.3, 0.0), (975, 720, 270, 20, 22, 4.4, 0.04)],
               (64, 128, 80), (24, 62, 48), 320, 720)
    rocks = [(170, 760, 200, 125, 0.15, 11), (370, 772, 110, 60, 0.0, 12), (875, 762, 180, 140, 0.25, 13),
             (660, 772, 64, 34, 0.0, 14)]
    for cx, ground, rx, ry, peak, seed in rocks:
        shadow(cx, ground, rx)
        paint_rock(img, rock_points(cx, ground, rx, ry, random.Random(seed), peak=peak),
                   (98, 132, 148), (18, 34, 54), seed)

    # staghorn coral on the left rock, a sea fan on the right one
    coral = aa_mask(lambda d, k: [coral_branch(d, k, x, y, a, ln, 9, 4, random.Random(int(x)))
                                  for x, y, a, ln in ((232, 650, 1.35, 34), (262, 656, 1.0, 28),
                                                      (208, 660, 1.9, 30), (120, 645, 1.5, 26))])
    paint_coral(img, coral, (236, 136, 116), (150, 64, 64), 520, 660)
    fan = aa_mask(lambda d, k: [coral_branch(d, k, 830, 634, 1.57 + a, 38, 4.5, 5, random.Random(7 + i))
                                for i, a in enumerate((-0.7, -0.35, 0.0, 0.35, 0.7))])
    paint_coral(img, fan, (176, 96, 176), (96, 44, 110), 470, 630)
    # pebbles on the sand
    for _ in range(26):
        x, y = rnd.uniform(420, 760), rnd.uniform(690, 765)
        r = rnd.uniform(2, 5) * (0.6 + (y - 680) / 120)
        peb = aa_mask(lambda d, k: d.ellipse([(x - r * 1.4) * k, (y - r) * k, (x + r * 1.4) * k, (y + r) * k],
                                             fill=255))
        tone = rnd.uniform(0.55, 1.0)
        paint(img, vgradient((SW, SH), [(0, shade((200, 196, 180), tone)), (1, shade((90, 90, 86), tone))],
                             y - r, y + r), peb)
    # brain coral mound in front
    bx, by = 560, 750
    dome = aa_mask(lambda d, k: d.ellipse([(bx - 46) * k, (by - 36) * k, (bx + 46) * k, (by + 30) * k], fill=255))
    shadow(bx, by - 6, 40)
    paint(img, vgradient((SW, SH), [(0, (206, 190, 122)), (1, (90, 84, 58))], by - 36, by + 20), dome)
    grooves = aa_mask(lambda d, k: [d.arc([(bx - r) * k, (by - r * 0.8) * k, (bx + r) * k, (by + r * 0.8) * k],
                                          195, 345, fill=255, width=2 * k) for r in range(8, 46, 5)])
    paint(img, (96, 84, 50), scaled_alpha(ImageChops.multiply(grooves, dome), 0.55))

    # a starfish
    sx, sy = 640, 716
    star = [(sx + (22 if i % 2 == 0 else 9) * math.cos(math.radians(i * 36 - 90 + 8)),
             sy + (15 if i % 2 == 0 else 6.5) * math.sin(math.radians(i * 36 - 90 + 8))) for i in range(10)]
    shadow(sx, sy + 6, 14)
    star_mask = aa_mask(lambda d, k: d.polygon([(x * k, y * k) for x, y in spline(star + star[:1], 4)], fill=255))
    paint_coral(img, star_mask, (246, 140, 70), (170, 70, 40), sy - 12, sy + 12)

    paint_kelp(img, [(18, 790, 440, 34, 40, 1.1, 0.06), (300, 790, 200, 20, 20, 2.7, 0.02),
                     (755, 790, 240, 22, 22, 0.3, -0.03), (1012, 790, 380, 30, 36, 5.0, -0.05)],
               (96, 150, 74), (30, 66, 36), 350, 780)
    grass = aa_mask(lambda d, k: [d.line([(x * k, 772 * k),
                                          ((x + rnd.uniform(-14, 14)) * k, (772 - rnd.uniform(18, 50)) * k)],
                                         fill=255, width=2 * k)
                                  for x in list(range(420, 510, 6)) + list(range(680, 740, 6))])
    paint(img, (80, 130, 76), grass)

    # drifting motes
    motes = Image.new("L", (SW, SH), 0)
    ds = ImageDraw.Draw(motes)
    for _ in range(170):
        x, y = rnd.uniform(0, SW), rnd.uniform(0, SH * 0.85)
        r = rnd.choice((0.8, 1.0, 1.3, 1.8))
        ds.ellipse([x - r, y - r, x + r, y + r], fill=rnd.randint(40, 140))
    paint(img, (220, 245, 255), motes.filter(ImageFilter.GaussianBlur(0.6)))

    # vignette
    vig = Image.new("L", (64, 48))
    vig.putdata([int(255 * (1 - 0.45 * smoothstep(0.45, 1.25, math.hypot((x - 31.5) / 32, (y - 23.5) / 24))))
                 for y in range(48) for x in range(64)])
    img = ImageChops.multiply(img, Image.merge("RGB", [vig.resize((SW, SH), Image.Resampling.BICUBIC)] * 3))
    img.save(path, "JPEG", quality=88, optimize=True)


# =============================================================================
# Picture frame
# =============================================================================


def frame_profile(d):
    """Height of the moulding at distance d (pixels) from the outer edge."""
    if d < 4:
        return 2.5 * math.sin(d / 4 * math.pi / 2)                 # rounded outer lip
    if d < 9:
        return 2.5 - 1.2 * math.sin((d - 4) / 5 * math.pi)         # cove
    if d < 21:
        return 2.5 + 1.5 * math.sin((d - 9) / 12 * math.pi)        # broad rounded face
    if d < 25:
        return 2.5 + 1.3 * math.sin((d - 21) / 4 * math.pi)        # gilt bead
    return 2.5 * (1 - (d - 25) / 5.0)                              # slope into the picture


def make_frame(path, band=30):
    W, H = SW, SH
    img = Image.new("RGB", (W, H), (0, 0, 0))
    px = img.load()
    lx, ly, lz = -0.55, -0.6, 0.58
    ln = math.sqrt(lx * lx + ly * ly + lz * lz)
    lx, ly, lz = lx / ln, ly / ln, lz / ln
    grain = smooth_noise((W, H), 24, 91, octaves=3).load()
    for y in range(H):
        for x in range(W):
            dist = {"t": y, "b": H - 1 - y, "l": x, "r": W - 1 - x}
            side = min(dist, key=dist.get)
            d = dist[side] + 0.5
            if d >= band:
                continue
            slope = (frame_profile(d + 0.5) - frame_profile(d - 0.5)) * 2.6
            ox, oy = {"t": (0, -1), "b": (0, 1), "l": (-1, 0), "r": (1, 0)}[side]
            nx, ny, nz = slope * ox, slope * oy, 1.0
            nn = math.sqrt(nx * nx + ny * ny + nz * nz)
            lam = max(0.0, (nx * lx + ny * ly + nz * lz) / nn)
            along = x if side in "tb" else y
            gilt = 21 <= d < 25
            if gilt:
                base = (205, 164, 78)
                gloss = lam ** 24 * 0.9
            else:
                g = math.sin((d + 3.0 * math.sin(along * 0.011 + ord(side)) + 1.6 * math.sin(along * 0.047))
                             * 1.25 + grain[x, y] / 40.0)
                base = mix((86, 42, 20), (138, 76, 38), 0.5 + 0.35 * g + (grain[x, y] - 128) / 700.0)
                gloss = lam ** 30 * 0.35
            f = 0.15 + 1.1 * lam
            col = [min(255, int(c * f + 255 * gloss)) for c in base]
            # a faint mitre joint where two sides meet
            ds = sorted(dist.values())
            if ds[1] - ds[0] < 0.75:
                col = [int(c * 0.7) for c in col]
            px[x, y] = tuple(col)
    img.save(path, "JPEG", quality=90, optimize=True)


# =============================================================================
# Banner
# =============================================================================


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def emblem(size, k=8):
    """Round badge with a fish over a wave, used by the banner and the icon.
    Returns RGBA of size x size (drawn at k times and reduced)."""
    n = size * k
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    circle = Image.new("L", (n, n), 0)
    ImageDraw.Draw(circle).ellipse([k * 0.3, k * 0.3, n - k * 0.3, n - k * 0.3], fill=255)
    water = vgradient((n, n), [(0, (120, 220, 240)), (0.55, (30, 120, 200)), (1, (10, 50, 120))])
    img.paste(water, (0, 0), circle)
    d = ImageDraw.Draw(img)
    u = n / 32.0  # design units on a 32 grid
    if size >= 24:
        wave = [(x * u, (22.5 + 1.6 * math.sin(x / 32 * 2 * math.pi * 1.5)) * u) for x in range(0, 33)]
        foam = Image.new("L", (n, n), 0)
        ImageDraw.Draw(foam).polygon(wave + [(n, n), (0, n)], fill=255)
        deep = vgradient((n, n), [(0, (40, 150, 210)), (1, (12, 60, 140))], 22 * u, n)
        img.paste(deep, (0, 0), ImageChops.multiply(foam, circle))
        d.line(wave, fill=(235, 250, 255, 255), width=int(1.6 * u))
    # fish facing left
    body = [5.5 * u, 9 * u, 22 * u, 21 * u]
    d.polygon([(20 * u, 15 * u), (28 * u, 9.5 * u), (26.5 * u, 15 * u), (28 * u, 20.5 * u)],
              fill=(240, 110, 20, 255), outline=(90, 30, 0, 255))
    d.ellipse(body, fill=(255, 150, 30, 255))
    body_mask = Image.new("L", (n, n), 0)
    ImageDraw.Draw(body_mask).ellipse(body, fill=255)
    stripe = Image.new("L", (n, n), 0)
    ImageDraw.Draw(stripe).ellipse([12 * u, 6 * u, 15.8 * u, 24 * u], fill=255)
    img.paste(Image.new("RGB", (n, n), (255, 255, 255)), (0, 0), ImageChops.multiply(stripe, body_mask))
    d.ellipse(body, outline=(110, 40, 0, 255), width=int(0.8 * u))
    d.ellipse([8.8 * u, 12.2 * u, 11.4 * u, 14.8 * u], fill=(20, 20, 30, 255))
    if size >= 24:
        d.ellipse([24 * u, 4 * u, 26.4 * u, 6.4 * u], outline=(230, 250, 255, 255), width=int(0.6 * u))
        d.ellipse([21 * u, 6.5 * u, 22.6 * u, 8.1 * u], outline=(230, 250, 255, 255), width=int(0.5 * u))
    ring = Image.new("L", (n, n), 0)
    ImageDraw.Draw(ring).ellipse([k * 0.3, k * 0.3, n - k * 0.3, n - k * 0.3], outline=255, width=int(1.1 * u))
    img.paste(Image.new("RGB", (n, n), (8, 36, 80)), (0, 0), ring)
    img.putalpha(ImageChops.multiply(img.getchannel("A"), circle))
    return img.resize((size, size), Image.Resampling.BOX)


def make_banner(path):
    W, H, k = 283, 77, 4
    bg = vgradient((W * k, H * k), [(0, (14, 70, 120)), (0.6, (8, 44, 88)), (1, (4, 24, 56))])
    d = ImageDraw.Draw(bg, "RGBA")
    # soft light sweep and wave lines
    for i in range(5):
        y = (50 + i * 7) * k
        d.line([(x * k, y + 5 * k * math.sin(x * 0.035 + i)) for x in range(0, W + 1, 3)],
               fill=(120, 200, 230, 40 - i * 6), width=2 * k)
    rnd = random.Random(9)
    for _ in range(7):
        x, y, r = rnd.uniform(150, 278), rnd.uniform(3, 11), rnd.uniform(1.0, 2.2)
        d.ellipse([(x - r) * k, (y - r) * k, (x + r) * k, (y + r) * k], outline=(190, 235, 255, 120), width=k // 2 + 1)
    bg = bg.resize((W, H), Image.Resampling.LANCZOS).convert("RGBA")
    bg.alpha_composite(emblem(58), (9, 10))
    d = ImageDraw.Draw(bg)
    title_font = font("DejaVuSans-Bold.ttf", 27)
    sub_font = font("DejaVuSans.ttf", 11)
    x0 = 76
    title = "Quorvanesoft"
    shadow = Image.new("RGBA", bg.size, (0, 0, 0, 0))
    ImageDraw.Draw(shadow).text((x0 + 1, 16), title, font=title_font, fill=(0, 10, 30, 200))
    bg.alpha_composite(shadow.filter(ImageFilter.GaussianBlur(1.2)))
    # title with a vertical white-to-aqua gradient
    tmask = Image.new("L", bg.size, 0)
    ImageDraw.Draw(tmask).text((x0, 14), title, font=title_font, fill=255)
    bg.paste(vgradient(bg.size, [(0, (255, 255, 255)), (1, (150, 225, 245))], 20, 44), (0, 0), tmask)
    d.line([(x0 + 1, 49), (W - 12, 49)], fill=(90, 170, 210), width=1)
    d.text((x0 + 1, 53), "Animated Desktop Wallpapers", font=sub_font, fill=(190, 232, 248))
    bg.convert("RGB").save(path, "JPEG", quality=92, optimize=True, subsampling=0)


# =============================================================================
# Check-mark glyphs (magenta = transparent)
# =============================================================================

MAGENTA = (255, 0, 255)


def check_shape(k):
    """Alpha of a check mark on an 18x18 grid, drawn at k times."""
    m = Image.new("L", (18 * k, 18 * k), 0)
    ImageDraw.Draw(m).line([(3.2 * k, 9.6 * k), (7.0 * k, 13.4 * k), (14.8 * k, 4.2 * k)],
                           fill=255, width=int(3.4 * k), joint="curve")
    for x, y in ((3.2, 9.6), (14.8, 4.2)):
        r = 1.7 * k
        ImageDraw.Draw(m).ellipse([x * k - r, y * k - r, x * k + r, y * k + r], fill=255)
    return m


def make_checks(normal_path, disabled_path):
    k = 16
    inner = check_shape(k)
    outer = inner.filter(ImageFilter.MaxFilter(2 * k // 2 + 1))
    img = Image.new("RGBA", (18 * k, 18 * k), (0, 0, 0, 0))
    img.paste(Image.new("RGB", img.size, (20, 92, 24)), (0, 0), outer)
    img.paste(vgradient(img.size, [(0, (150, 235, 110)), (0.5, (60, 180, 50)), (1, (24, 120, 30))],
                        3 * k, 15 * k), (0, 0), inner)
    small = img.resize((18, 18), Image.Resampling.BOX)
    out = Image.new("RGB", (18, 18), MAGENTA)
    out.paste(small.convert("RGB"), (0, 0), small.getchannel("A").point(lambda a: 255 if a >= 110 else 0))
    out.save(normal_path, "BMP")
    # disabled: the classic etched look, a white copy offset by one pixel under a grey one
    shape = outer.resize((18, 18), Image.Resampling.BOX).point(lambda a: 255 if a >= 110 else 0)
    dis = Image.new("RGB", (18, 18), MAGENTA)
    dis.paste((255, 255, 255), (1, 1), shape.crop((0, 0, 17, 17)))
    dis.paste((128, 128, 128), (0, 0), shape)
    dis.save(disabled_path, "BMP")


# =============================================================================
# Program icon
# =============================================================================


def make_icon(path):
    entries = []
    for size in (32, 16):
        rgba = emblem(size, k=16)
        alpha = rgba.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
        rgba.putalpha(alpha)
        palette, (raster,) = palette_frames([rgba], 256)
        palette[-1] = (0, 0, 0)  # transparent pixels: black under a set AND bit
        img = Image.frombytes("P", (size, size), raster)
        entries.append((img, palette, alpha))
    write_ico(path, entries)


# =============================================================================
# Licence
# =============================================================================

LICENSE = """MERVALIS ANIMATED WALLPAPER - END USER LICENCE AGREEMENT

Quorvane series, Mervalis edition
Copyright (c) Quorvanesoft. All rights reserved.

Please read this agreement carefully before installing Mervalis Animated Wallpaper (the "Software"). By installing, copying or otherwise using the Software you agree to be bound by the terms of this agreement. If you do not agree, do not install the Software; choose "Cancel" now.

1. GRANT OF LICENCE
Quorvanesoft grants you a free, non-exclusive, non-transferable licence to install and use the Software on any number of computers that you own or control, for personal or business use.

2. FREEWARE
The Software is distributed as freeware. You do not have to pay for it, register it or activate it. There is no time limit and no feature is disabled.

3. REDISTRIBUTION
You may copy the unmodified installation program and give it to others, provided that you do so free of charge, that the copy is complete (including this agreement) and that nothing is added to it. Placing the Software on a web site, a shareware collection or a magazine cover disc is permitted on the same terms.

4. RESTRICTIONS
You may not sell, rent, lease or lend the Software, nor include it in any product or bundle that is sold. You may not modify, adapt, translate, reverse engineer, decompile or disassemble the Software, except to the extent that applicable law expressly permits it. You may not remove or alter any copyright notice, trade name or mark shown by the Software.

5. ARTWORK
The pictures and animations that come with the Software (the fish, the bubbles, the underwater scene and the frame) are part of the Software. You may use them only as your desktop wallpaper through the Software, and may not extract them for other purposes.

6. OWNERSHIP
The Software is licensed, not sold. Quorvanesoft keeps all title, copyright and other intellectual property rights in the Software and in every copy of it.

7. NO WARRANTY
THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE WARRANTIES OF MERCHANTABILITY, FITNESS FOR A PARTICULAR PURPOSE AND NON-INFRINGEMENT. THE ENTIRE RISK AS TO THE QUALITY AND PERFORMANCE OF THE SOFTWARE IS WITH YOU.

8. LIMITATION OF LIABILITY
IN NO EVENT SHALL QUORVANESOFT BE LIABLE FOR ANY DAMAGES WHATSOEVER, INCLUDING WITHOUT LIMITATION DAMAGES FOR LOSS OF DATA, LOSS OF PROFITS, BUSINESS INTERRUPTION OR ANY OTHER LOSS, ARISING OUT OF THE USE OF OR INABILITY TO USE THE SOFTWARE, EVEN IF QUORVANESOFT HAS BEEN ADVISED OF THE POSSIBILITY OF SUCH DAMAGES.

9. YOUR DESKTOP SETTINGS
The Software changes your desktop wallpaper and turns on the display of web content on the desktop. The uninstall program restores the previous wallpaper. You are responsible for keeping copies of any settings you wish to preserve.

10. TERMINATION
This licence ends automatically if you break any of its terms. When it ends you must remove the Software from your computers and destroy all copies of it.

11. GENERAL
This agreement is the entire agreement between you and Quorvanesoft about the Software. If any part of it is held to be unenforceable, the rest remains in force. Quorvanesoft may publish new versions of this agreement with new versions of the Software.

All names of products and companies mentioned are trade names of their owners.

Thank you for choosing Quorvanesoft animated wallpapers. Enjoy the view!
"""


def make_license(path):
    text = LICENSE.replace("\r\n", "\n").replace("\n", "\r\n")
    text.encode("ascii")  # must stay plain ASCII
    with open(path, "wb") as f:
        f.write(text.encode("ascii"))


# =============================================================================
# main
# =============================================================================


def main():
    for d in (PAYLOAD_DIR, UI_DIR, APP_DIR):
        os.makedirs(d, exist_ok=True)
    for stem, painter, n, colours in FISH:
        make_fish(stem, painter, n, colours)
    make_bubbles()
    make_scene(os.path.join(UI_DIR, "scene.jpg"))
    make_frame(os.path.join(UI_DIR, "frame.jpg"))
    make_banner(os.path.join(UI_DIR, "banner.jpg"))
    make_checks(os.path.join(UI_DIR, "check.bmp"), os.path.join(UI_DIR, "check_disabled.bmp"))
    make_icon(os.path.join(APP_DIR, "mervalis.ico"))
    make_license(os.path.join(UI_DIR, "license.txt"))


if __name__ == "__main__":
    main()
