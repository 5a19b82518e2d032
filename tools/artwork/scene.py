"""The underwater scene behind the fish: the wallpaper's background picture."""
import math
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from drawing import mix, scaled_alpha, shade, smooth_noise, smoothstep, spline, vgradient

# The composition is laid out on a 1024 x 768 grid (the frame picture's
# size, which goes round it); the picture is rendered F times as large, so
# that the still stays sharp on screens up to 3840 x 2160.
SW, SH = 1024, 768
F = 2
SIZE = (SW * F, SH * F)


def wavy(rnd, n_terms, amp):
    """A random smooth 1-D function of x: sum of a few sines."""
    terms = [(rnd.uniform(0.3, 1.0) * amp / (i + 1), rnd.uniform(0.002, 0.006) * (i + 1.3),
              rnd.uniform(0, 2 * math.pi)) for i in range(n_terms)]
    return lambda x: sum(a * math.sin(f * x + ph) for a, f, ph in terms)


def aa_mask(draw_fn, size=SIZE, k=3):
    """Draw a shape at k times the size and reduce it: an anti-aliased L mask.
    draw_fn(draw, k) draws with grid coordinates multiplied by k."""
    big = Image.new("L", (size[0] * k, size[1] * k), 0)
    draw_fn(ImageDraw.Draw(big), k * F)
    return big.resize(size, Image.Resampling.BOX)


def poly_mask(pts):
    return aa_mask(lambda d, k: d.polygon([(x * k, y * k) for x, y in pts], fill=255))


def paint(base, rgb_or_img, mask):
    if isinstance(rgb_or_img, tuple):
        rgb_or_img = Image.new("RGB", base.size, rgb_or_img)
    base.paste(rgb_or_img, (0, 0), mask)


def top_edge(mask, dy, blur):
    """The upper rim of a shape, where light from the surface catches it."""
    return ImageChops.subtract(mask, ImageChops.offset(mask, 0, dy * F)).filter(ImageFilter.GaussianBlur(blur * F))


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
    grad = vgradient(base.size, [(0, lit), (0.5, mix(lit, dark, 0.6)), (1, dark)], min(ys) * F, max(ys) * F)
    tex = smooth_noise(base.size, 10 * F, seed, octaves=4)
    tex = Image.merge("RGB", (tex, tex, tex))
    grad = Image.blend(grad, ImageChops.overlay(grad, tex), 0.55)
    dots = smooth_noise(base.size, 3 * F, seed + 1).point(lambda v: 255 if v > 180 else 0)
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
    paint(img, vgradient(img.size, [(0, top_col), (1, base_col)], y0 * F, y1 * F), mask)
    # light on the left edges, shadow on the right ones
    paint(img, mix(top_col, (230, 255, 200), 0.5),
          scaled_alpha(ImageChops.subtract(mask, ImageChops.offset(mask, 3 * F, 0)), 0.45))
    paint(img, shade(base_col, 0.5),
          scaled_alpha(ImageChops.subtract(mask, ImageChops.offset(mask, -3 * F, 0)), 0.5))
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
    paint(img, vgradient(img.size, [(0, lit), (1, dark)], y0 * F, y1 * F), mask)
    paint(img, shade(dark, 0.55), scaled_alpha(ImageChops.subtract(mask, ImageChops.offset(mask, 0, -3 * F)), 0.6))
    paint(img, mix(lit, (255, 255, 240), 0.5), scaled_alpha(top_edge(mask, 2, 0.6), 0.6))


def make_scene(path):
    rnd = random.Random(2024)
    img = vgradient(SIZE, [(0, (86, 190, 212)), (0.1, (52, 156, 194)), (0.4, (24, 100, 156)),
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
    shimmer = shimmer.resize((SW * F, band_h * F), Image.Resampling.BICUBIC).filter(ImageFilter.GaussianBlur(1.2 * F))
    full = Image.new("L", SIZE, 0)
    full.paste(shimmer, (0, 0))
    paint(img, (215, 250, 255), scaled_alpha(full, 0.55))
    glow = vgradient(SIZE, [(0, (255, 255, 255)), (1, (0, 0, 0))], 0, 160 * F).convert("L")
    paint(img, (190, 240, 250), scaled_alpha(glow, 0.35))

    # far reef ridge, almost lost in the blue, and a nearer one
    far = wavy(rnd, 5, 40)
    mask = poly_mask([(x, 505 + far(x)) for x in range(-10, SW + 11, 8)] + [(SW + 10, SH), (-10, SH)])
    paint(img, (26, 88, 132), scaled_alpha(mask.filter(ImageFilter.GaussianBlur(4 * F)), 0.6))
    mid = wavy(rnd, 5, 26)
    ridge = lambda x: 585 + mid(x) + 20 * math.sin(x * 0.004)
    mask = poly_mask([(x, ridge(x)) for x in range(-10, SW + 11, 8)] + [(SW + 10, SH), (-10, SH)])
    paint(img, (22, 76, 114), scaled_alpha(mask.filter(ImageFilter.GaussianBlur(2 * F)), 0.8))
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
    grain = smooth_noise((SW * F, (SH - sand_y0) * F), 4 * F, 77, octaves=3).load()
    warp = smooth_noise((SW * F, (SH - sand_y0) * F), 40 * F, 78).load()
    sand = Image.new("RGBA", (SW * F, (SH - sand_y0) * F), (0, 0, 0, 0))
    spx = sand.load()
    far_col, near_col = (44, 104, 134), (200, 186, 142)
    for py in range(sand_y0 * F, SH * F):
        for px in range(SW * F):
            x, y = px / F, py / F
            t0 = top[px // F]
            if y < t0 - 6:
                continue
            depth = max(0.0, (y - t0) / (SH - t0))  # 0 at the horizon, 1 at the bottom edge
            cov = smoothstep(-6, 3, y - t0)
            w = warp[px, py - sand_y0 * F] / 255.0
            freq = 0.10 / (0.35 + depth)
            ripple = math.sin(y * freq * 2.6 + x * 0.018 + 5 * w)
            ca = math.sin(x * 0.031 + 3.1 * w + y * 0.05) + math.sin(x * -0.017 + y * 0.09 + 4.0 * w)
            caustic = max(0.0, 1 - abs(ca) * 1.3) ** 4 * depth
            base = mix(far_col, near_col, smoothstep(0.0, 1.0, depth) ** 0.7)
            f = 1 + 0.08 * ripple * depth + (grain[px, py - sand_y0 * F] - 128) / 900.0 * depth
            col = tuple(min(255, int(c * f + 110 * caustic)) for c in base)
            spx[px, py - sand_y0 * F] = col + (int(255 * cov),)
    img.paste(sand.convert("RGB"), (0, sand_y0 * F), sand.getchannel("A"))

    # depth haze over the horizon
    haze = vgradient(SIZE, [(0, (0, 0, 0)), (0.55, (255, 255, 255)), (1, (0, 0, 0))], 500 * F, 700 * F).convert("L")
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
    rays = rays.filter(ImageFilter.GaussianBlur(7)).resize(SIZE, Image.Resampling.BICUBIC)
    fade = vgradient(SIZE, [(0, (255,) * 3), (0.6, (90,) * 3), (1, (0,) * 3)], 0, 680 * F).convert("L")
    paint(img, (200, 246, 255), scaled_alpha(ImageChops.multiply(rays, fade), 0.6))

    # foreground: kelp behind the rocks, rocks, coral, kelp in front
    def shadow(cx, ground, rx):
        m = aa_mask(lambda d, k: d.ellipse([(cx - rx * 1.2) * k, (ground - 16) * k,
                                            (cx + rx * 1.2) * k, (ground + 24) * k], fill=255))
        paint(img, (12, 32, 44), scaled_alpha(m.filter(ImageFilter.GaussianBlur(12 * F)), 0.55))

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
        paint(img, vgradient(SIZE, [(0, shade((200, 196, 180), tone)), (1, shade((90, 90, 86), tone))],
                             (y - r) * F, (y + r) * F), peb)
    # brain coral mound in front
    bx, by = 560, 750
    dome = aa_mask(lambda d, k: d.ellipse([(bx - 46) * k, (by - 36) * k, (bx + 46) * k, (by + 30) * k], fill=255))
    shadow(bx, by - 6, 40)
    paint(img, vgradient(SIZE, [(0, (206, 190, 122)), (1, (90, 84, 58))], (by - 36) * F, (by + 20) * F), dome)
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
    motes = Image.new("L", SIZE, 0)
    ds = ImageDraw.Draw(motes)
    for _ in range(170):
        x, y = rnd.uniform(0, SW), rnd.uniform(0, SH * 0.85)
        r = rnd.choice((0.8, 1.0, 1.3, 1.8))
        ds.ellipse([(x - r) * F, (y - r) * F, (x + r) * F, (y + r) * F], fill=rnd.randint(40, 140))
    paint(img, (220, 245, 255), motes.filter(ImageFilter.GaussianBlur(0.6 * F)))

    # vignette
    vig = Image.new("L", (64, 48))
    vig.putdata([int(255 * (1 - 0.45 * smoothstep(0.45, 1.25, math.hypot((x - 31.5) / 32, (y - 23.5) / 24))))
                 for y in range(48) for x in range(64)])
    img = ImageChops.multiply(img, Image.merge("RGB", [vig.resize(SIZE, Image.Resampling.BICUBIC)] * 3))
    img.save(path, "JPEG", quality=88, optimize=True)
