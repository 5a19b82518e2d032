"""The six fish: each drawn by a FishPainter for every frame of its swimming,
and written facing left and (mirrored) right."""
import math
import os
import random

from PIL import Image, ImageDraw

from drawing import band, clip_to, curve
from encoders import palette_frames, write_gif
from fish_painter import S, FishPainter


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
    p.fins([(0.18, -1, 0), (0.2, 4, 0.5), (0.5, 5, 1), (0.8, 5.5, 2), (0.88, 3, 2), (0.9, -1, 0)],
           [(0.52, -1, 0), (0.55, 4, 0.5), (0.84, 4.5, 2), (0.88, -1, 0)], fin_c, fin_edge, ray)
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
    p.fins([(0.12, -1, 0), (0.16, 5, 1), (0.5, 7.5, 2), (0.8, 7, 3), (0.92, 3, 3), (0.95, -1, 0)],
           [(0.4, -1, 0), (0.44, 5, 1), (0.75, 6.5, 2.5), (0.9, 3, 3), (0.92, -1, 0)],
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
    small_fin = [(0.68, -1, 0), (0.72, 6, 3), (0.78, 8, 6), (0.84, 4, 4), (0.86, -1, 0)]
    p.fins(small_fin, small_fin, fin_c, fin_edge, (170, 140, 70), ripple=0.15)
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
    p.fins([(0.25, -1, 0), (0.3, 7, 2), (0.5, 12.5, 5), (0.7, 12.5, 8), (0.86, 8, 6.5), (0.96, -1, 0)],
           [(0.32, -1, 0), (0.38, 7, 2), (0.55, 11.5, 5), (0.72, 11.5, 8), (0.87, 7, 6), (0.96, -1, 0)],
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


def make_fish(folder, stem, painter, nframes, ncolors, preview=None):
    frames = [painter(2 * math.pi * i / nframes) for i in range(nframes)]
    w, h = frames[0].size
    palette, rasters = palette_frames(frames, ncolors)
    trans = ncolors - 1
    for suffix, rs in (("_l", rasters), ("_r", [mirror(r, w) for r in rasters])):
        write_gif(os.path.join(folder, stem + suffix + ".gif"), (w, h), palette,
                  [crop_frame(r, w, h, trans) for r in rs], trans, delay=5, loop=True)
    if preview is not None:
        preview.append(frames)
