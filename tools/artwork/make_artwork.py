#!/usr/bin/python3
"""Generates all Mervalis artwork.

Run from anywhere:   /usr/bin/python3 tools/artwork/make_artwork.py

Writes
  src/payload/assets/  fish GIF animations, bubble PNG/GIF pictures
  src/ui/assets/       scene.jpg, frame.jpg, banner.jpg, check glyphs, license.txt
  src/app/             mervalis.ico

Everything is drawn procedurally with fixed random seeds, so a rerun produces
byte-identical files.  PIL does the drawing and the JPEG/BMP writing; the GIF,
PNG and ICO encoders are our own (encoders.py), so their exact layout is ours:

  GIF: GIF89a, global colour table only, NETSCAPE2.0 loop block right after the
       table (animations), one Graphic Control Extension per frame (transparent
       index, delay 5/100 s, disposal "restore to background"), frames cropped
       to the fish's bounding box.
  PNG: 8-bit RGBA (colour type 6), filter 0 on every row, one IDAT.
  ICO: 8-bit palettised DIB entries with an AND mask.

One module per kind of picture (fish.py, drawn by fish_painter.py; bubbles.py;
scene.py; installer_pictures.py; licence_text.py); drawing.py and encoders.py
serve them all.
"""
import os

from bubbles import make_bubbles
from fish import FISH, make_fish
from installer_pictures import make_banner, make_checks, make_frame, make_icon
from licence_text import make_license
from scene import make_scene

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PAYLOAD_DIR = os.path.join(ROOT, "src", "payload", "assets")
UI_DIR = os.path.join(ROOT, "src", "ui", "assets")
APP_DIR = os.path.join(ROOT, "src", "app")


def main():
    for d in (PAYLOAD_DIR, UI_DIR, APP_DIR):
        os.makedirs(d, exist_ok=True)
    for stem, painter, n, colours in FISH:
        make_fish(PAYLOAD_DIR, stem, painter, n, colours)
    make_bubbles(PAYLOAD_DIR)
    make_scene(os.path.join(UI_DIR, "scene.jpg"))
    make_frame(os.path.join(UI_DIR, "frame.jpg"))
    make_banner(os.path.join(UI_DIR, "banner.jpg"))
    make_checks(os.path.join(UI_DIR, "check.bmp"), os.path.join(UI_DIR, "check_disabled.bmp"))
    make_icon(os.path.join(APP_DIR, "mervalis.ico"))
    make_license(os.path.join(UI_DIR, "license.txt"))


if __name__ == "__main__":
    main()
