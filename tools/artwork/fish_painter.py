"""How a fish is drawn: body, fins, tail, eye and patterns on layers at four
times the final size, reduced with a hard alpha threshold."""
import math

from PIL import Image, ImageChops, ImageDraw, ImageFilter

from drawing import clip_to, scaled_alpha, shade, smoothstep, solid, spline, vgradient


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

    def fins(self, dorsal, ventral, fill, edge=None, ray=None, **style):
        """The dorsal fin, then the ventral one, in the same colours and style."""
        self.fin(-1, dorsal, fill, edge, ray, **style)
        self.fin(1, ventral, fill, edge, ray, **style)

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


# ---- the six fish -----------------------------------------------------------
