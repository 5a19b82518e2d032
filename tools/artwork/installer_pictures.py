"""The installer window's pictures: the picture frame, the banner with its
emblem, the check-mark glyphs and the program icon."""
import math
import os
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

from drawing import mix, smooth_noise, vgradient
from encoders import palette_frames, write_ico
from scene import SH, SW  # the frame goes round the scene

FONT_DIR = "/usr/share/fonts/truetype/dejavu"


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
