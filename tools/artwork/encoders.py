"""The GIF, PNG and ICO encoders, whose exact layout is ours, and the palette
shared by a picture's frames."""
import struct
import zlib

from PIL import Image


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
