"""The air bubbles: PNGs with real translucency for browsers that show it,
and GIFs blended over mid water for those that do not."""
import math
import os

from PIL import Image

from drawing import lerp, mix
from encoders import palette_frames, write_gif, write_png_rgba


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


def make_bubbles(folder):
    big, small = bubble_rgba(24), bubble_rgba(14)
    write_png_rgba(os.path.join(folder, "bubble1.png"), big)
    write_png_rgba(os.path.join(folder, "bubble2.png"), small)
    for name, img, colours in (("bubble1.gif", bubble_gif(big, 110), 256),
                               ("bubble2.gif", bubble_gif(bubble_rgba(11), 100), 128)):
        palette, (raster,) = palette_frames([img], colours)
        w, h = img.size
        write_gif(os.path.join(folder, name), (w, h), palette, [(0, 0, w, h, raster)],
                  colours - 1, delay=0, loop=False)
