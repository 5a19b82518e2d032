"""Small drawing helpers shared by the pictures: colours, gradients, masks,
noise and curves."""
import random

from PIL import Image, ImageChops


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
