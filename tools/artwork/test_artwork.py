#!/usr/bin/python3
"""Checks the committed artwork against what the program and the page rely on:
picture sizes, frame counts, delays, transparency, looping, colour tables, the
mirrored fish, the icon's entries, the window pictures and the licence text.

Pillow (Debian's python3-pil) decodes the pictures; the few facts it does not
report (colour-table size, where the loop block sits, bit depths in headers)
are read from the file's fixed header fields.

Run: /usr/bin/python3 tools/artwork/test_artwork.py
"""
import os
import struct
import unittest

from PIL import Image, ImageSequence

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PAYLOAD_DIR = os.path.join(ROOT, "src", "payload", "assets")
UI_DIR = os.path.join(ROOT, "src", "ui", "assets")
ICON = os.path.join(ROOT, "src", "app", "mervalis.ico")

# Stem: width, height, colour-table size, frames; each fish has "_l" and "_r".
FISH = {
    "fish1": (90, 77, 256, 20),
    "fish2": (70, 48, 256, 10),
    "fish3": (105, 49, 256, 19),
    "fish4": (95, 62, 256, 19),
    "fish5": (95, 62, 16, 20),
    "fish6": (90, 77, 16, 20),
}
# Single-frame bubbles for older browsers: side, colour-table size.
BUBBLE_GIFS = {"bubble1.gif": (24, 256), "bubble2.gif": (11, 128)}
BUBBLE_PNGS = {"bubble1.png": 24, "bubble2.png": 14}
WINDOW_JPEGS = {"scene.jpg": (2048, 1536), "frame.jpg": (1024, 768), "banner.jpg": (283, 77)}
CHECK_GLYPHS = ("check.bmp", "check_disabled.bmp")
KEY = (255, 0, 255)  # the check glyphs' see-through colour

ALL_GIFS = {f"{stem}{side}.gif": facts for stem, facts in FISH.items() for side in ("_l", "_r")}
ALL_GIFS.update({name: (side, side, table, 1) for name, (side, table) in BUBBLE_GIFS.items()})


def read(path):
    with open(path, "rb") as f:
        return f.read()


def gif_table_size(data):
    packed = data[10]
    return 2 << (packed & 7) if packed & 0x80 else 0


def gif_frames(name):
    """Every frame as shown (RGBA, drawn after the previous frame's disposal)
    with its box, delay in ms, disposal method and LZW code size."""
    frames = []
    with Image.open(os.path.join(PAYLOAD_DIR, name)) as im:
        for f in ImageSequence.Iterator(im):
            _, box, _, (code_size, _, _) = f.tile[0]
            frames.append((f.convert("RGBA"), box, f.info.get("duration"), f.disposal_method, code_size))
    return frames


def opaque(rgba):
    """Row-major flags: True where the pixel is shown."""
    return [a > 0 for a in rgba.getchannel("A").getdata()]


class GifPictures(unittest.TestCase):
    def test_header_frames_and_transparent_colour(self):
        for name, (width, height, table, count) in ALL_GIFS.items():
            with self.subTest(name), Image.open(os.path.join(PAYLOAD_DIR, name)) as im:
                self.assertEqual(im.info["version"], b"GIF89a")
                self.assertEqual(im.size, (width, height))
                self.assertEqual(gif_table_size(read(im.filename)), table)
                self.assertEqual(im.n_frames, count)
                self.assertLess(im.info["transparency"], table)
                for i, (rgba, box, _, _, code_size) in enumerate(gif_frames(name)):
                    x0, y0, x1, y1 = box
                    self.assertTrue(0 <= x0 < x1 <= width and 0 <= y0 < y1 <= height, f"frame {i} box {box}")
                    self.assertLessEqual(1 << code_size, table, f"frame {i} codes beyond the table")
                    # A frame without a transparent colour would show its whole box.
                    self.assertEqual(rgba.crop(box).getchannel("A").getextrema()[0], 0, f"frame {i}")

    def test_fish_loop_forever_at_fifty_ms_clearing_each_frame(self):
        for name, (_, _, table, _) in ALL_GIFS.items():
            if not name.startswith("fish"):
                continue
            with self.subTest(name), Image.open(os.path.join(PAYLOAD_DIR, name)) as im:
                self.assertEqual(im.info.get("loop"), 0)
                self.assertTrue(read(im.filename)[13 + 3 * table:].startswith(b"\x21\xff\x0bNETSCAPE2.0\x03\x01"),
                                "loop block right after the colour table")
                for i, (_, _, delay, disposal, _) in enumerate(gif_frames(name)):
                    self.assertEqual((delay, disposal), (50, 2), f"frame {i}")

    def test_fish_fills_part_of_the_picture_with_transparent_corners(self):
        for stem, (w, h, _, _) in FISH.items():
            for i, (rgba, *_) in enumerate(gif_frames(stem + "_l.gif")):
                with self.subTest(stem, frame=i):
                    shown = opaque(rgba)
                    self.assertTrue(len(shown) / 5 < sum(shown) < len(shown) * 4 / 5)
                    self.assertFalse(any(shown[p] for p in (0, w - 1, (h - 1) * w, h * w - 1)))

    def test_left_facing_fish_beats_its_tail_on_the_right(self):
        for stem, (w, _, _, _) in FISH.items():
            with self.subTest(stem):
                frames = [rgba for rgba, *_ in gif_frames(stem + "_l.gif")]
                for i in range(1, len(frames)):
                    self.assertNotEqual(frames[i].tobytes(), frames[i - 1].tobytes(), f"frame {i} repeats")
                masks = [opaque(rgba) for rgba in frames]
                moving = [p for p in range(len(masks[0])) if any(m[p] != masks[0][p] for m in masks)]
                right = sum(1 for p in moving if p % w >= w // 2)
                left = len(moving) - right
                self.assertGreater(left + right, 100, "the outline hardly changes")
                self.assertGreater(right, left * 3, f"outline changes: left {left}, right {right}")

    def test_right_facing_file_mirrors_the_left_facing_one(self):
        for stem in FISH:
            with self.subTest(stem):
                left, right = gif_frames(stem + "_l.gif"), gif_frames(stem + "_r.gif")
                self.assertEqual(len(left), len(right))
                for i, ((l, *_), (r, *_)) in enumerate(zip(left, right)):
                    self.assertEqual(r.tobytes(), l.transpose(Image.Transpose.FLIP_LEFT_RIGHT).tobytes(), f"frame {i}")

    def test_bubble_is_a_hollow_ring(self):
        for name, (side, _) in BUBBLE_GIFS.items():
            with self.subTest(name):
                (rgba, *_), = gif_frames(name)
                shown = opaque(rgba)
                mid = side // 2
                row = shown[mid * side:(mid + 1) * side]
                self.assertFalse(row[mid], "centre shows through")
                self.assertFalse(shown[0], "corner is transparent")
                self.assertTrue(any(row[:side // 4 + 1]) and any(row[side * 3 // 4 - 1:]), "rim at both ends")


class OtherPictures(unittest.TestCase):
    def test_bubble_png_is_eight_bit_rgba(self):
        for name, side in BUBBLE_PNGS.items():
            with self.subTest(name):
                path = os.path.join(PAYLOAD_DIR, name)
                data = read(path)
                self.assertEqual(data[12:16], b"IHDR")
                # width, height, bits per channel, colour type 6, deflate, filter 0, not interlaced
                self.assertEqual(struct.unpack_from(">IIBBBBB", data, 16), (side, side, 8, 6, 0, 0, 0))
                self.assertTrue(data.endswith(b"\0\0\0\0IEND\xaeB`\x82"), "ends with IEND")
                with Image.open(path) as im:
                    im.verify()  # chunk CRCs
                with Image.open(path) as im:
                    self.assertEqual((im.mode, im.size), ("RGBA", (side, side)))
                    im.load()

    def test_window_jpegs_are_baseline_colour_pictures(self):
        for name, size in WINDOW_JPEGS.items():
            with self.subTest(name), Image.open(os.path.join(UI_DIR, name)) as im:
                self.assertEqual((im.format, im.mode, im.size, im.bits), ("JPEG", "RGB", size, 8))
                self.assertNotIn("progressive", im.info)
                im.load()
                self.assertTrue(read(im.filename).endswith(b"\xff\xd9"))

    def test_check_glyphs_are_keyed_eighteen_pixel_bitmaps(self):
        for name in CHECK_GLYPHS:
            with self.subTest(name), Image.open(os.path.join(UI_DIR, name)) as im:
                data = read(im.filename)
                self.assertEqual(struct.unpack_from("<I", data, 2)[0], len(data), "file size field")
                # header size, planes, bits per pixel, no compression
                self.assertEqual(struct.unpack_from("<I8xHHI", data, 14), (40, 1, 24, 0))
                self.assertEqual(im.size, (18, 18))
                px = list(im.convert("RGB").getdata())
                self.assertTrue(all(px[p] == KEY for p in (0, 17, 17 * 18, 18 * 18 - 1)), "corners keyed")
                glyph = [p for p in px if p != KEY]
                self.assertTrue(25 < len(glyph) < 18 * 18 / 2)
                # anything near the key colour would show as a pink halo
                self.assertFalse([p for p in glyph if p[0] > 180 and p[2] > 180 and p[1] < 120])
                if name == "check.bmp":
                    self.assertGreater(sum(1 for r, g, b in glyph if g > r + 40 and g > b + 40), 20, "green")
                else:
                    self.assertTrue(all(r == g == b for r, g, b in glyph), "grey")
                    self.assertTrue(any(r < 200 for r, _, _ in glyph), "visible on white")

    def test_program_icon_has_masked_palettised_32_and_16_pixel_entries(self):
        data = read(ICON)
        self.assertEqual(struct.unpack_from("<HHH", data), (0, 1, 2))  # an icon with two entries
        sizes = []
        for entry in range(2):
            w, h, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * entry)
            with self.subTest(size=w):
                sizes.append(w)
                self.assertEqual(w, h)
                # DIB header size, width, colour rows + mask rows, planes, 8 bits per pixel, no compression
                self.assertEqual(struct.unpack_from("<IiiHHI", data, offset), (40, w, 2 * h, 1, 8, 0))
                xor_stride, and_stride = (w + 3) // 4 * 4, (w + 31) // 32 * 4
                self.assertEqual(length, 40 + 256 * 4 + (xor_stride + and_stride) * h)
                self.assertLessEqual(offset + length, len(data))
                with Image.open(ICON) as im:
                    px = im.ico.getimage((w, h)).convert("RGBA").load()
                # a round badge: corners see-through, middle solid
                self.assertTrue(all(px[x, y][3] == 0 for x, y in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1))))
                self.assertEqual(px[w // 2, h // 2][3], 255)
                # see-through pixels are black, so the XOR step leaves the desktop alone
                self.assertFalse([(x, y) for y in range(h) for x in range(w)
                                  if px[x, y][3] == 0 and px[x, y][:3] != (0, 0, 0)])
        self.assertEqual(sorted(sizes), [16, 32])

    def test_licence_is_plain_ascii_with_crlf_lines(self):
        data = read(os.path.join(UI_DIR, "license.txt"))
        self.assertTrue(data.endswith(b"\r\n"))
        lines = data[:-2].split(b"\r\n")
        self.assertTrue(40 <= len(lines) <= 80, len(lines))
        for n, line in enumerate(lines, 1):
            self.assertTrue(all(0x20 <= c < 0x7F for c in line), f"line {n}: {line!r}")
        self.assertIn(b"Mervalis", data)
        self.assertIn(b"Quorvanesoft", data)


if __name__ == "__main__":
    unittest.main(verbosity=2)
