#!/usr/bin/env python3
"""Draws the Windows programs' pictures: icons, bitmaps and animations, from the shapes below.

Nothing is copied from elsewhere: every picture is a few circles, bars and stripes in the
product's colours, written out as .ico, .bmp and uncompressed 8-bit .avi files that windres
embeds. usage: make-art.py OUTPUT_FOLDER
"""
import math
import os
import struct
import sys

NAVY = (0, 0, 128)
WHITE = (255, 255, 255)
SILVER = (192, 192, 192)
GREY = (128, 128, 128)
DARK_RED = (128, 0, 0)
TEAL = (0, 128, 128)
BLACK = (0, 0, 0)
YELLOW = (255, 255, 0)

# The 16-colour palette of the 4-bit pictures (the standard VGA colours), and an 8-bit one:
# the same 16 first, then a blue ramp for the splash picture's gradient.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
PALETTE_256 = VGA + [(i // 3, i // 2, 64 + i * 191 // 239) for i in range(240)]


class Canvas:
    """RGB pixels, top row first; None marks a transparent pixel."""

    def __init__(self, width, height, fill=None):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(self.height):
            for x in range(self.width):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def ring(self, cx, cy, r, width, colour):
        for y in range(self.height):
            for x in range(self.width):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r - width <= d <= r:
                    self.put(x, y, colour)


def disk(canvas, x, y, size, stripe_angle=None):
    """The product's mark: a navy disk with a hub, wiped by a white stripe."""
    c, r = size / 2, size / 2 - 0.5
    canvas_part = Canvas(size, size)
    canvas_part.disc(c, c, r, NAVY)
    canvas_part.ring(c, c, r, max(1, size // 16), BLACK)
    if stripe_angle is not None:
        dx, dy = math.cos(stripe_angle), math.sin(stripe_angle)
        for py in range(size):
            for px in range(size):
                if canvas_part.pixels[py][px] is None:
                    continue
                ox, oy = px + 0.5 - c, py + 0.5 - c
                along, across = ox * dx + oy * dy, -ox * dy + oy * dx
                if abs(across) <= max(1.0, size / 10) and along >= 0:
                    canvas_part.pixels[py][px] = WHITE
    canvas_part.disc(c, c, max(1, size / 8), SILVER)
    for py in range(size):
        for px in range(size):
            if canvas_part.pixels[py][px] is not None:
                canvas.put(x + px, y + py, canvas_part.pixels[py][px])


def nearest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def dib_rows(canvas, bits, palette, background):
    """The canvas as bottom-up DIB rows of the given depth, each padded to 4 bytes."""
    rows = []
    cache = {}
    for row in reversed(canvas.pixels):
        if bits == 24:
            data = b"".join(bytes((c or background)[::-1]) for c in row)
        else:
            indexes = []
            for c in row:
                c = c or background
                if c not in cache:
                    cache[c] = nearest(c, palette)
                indexes.append(cache[c])
            if bits == 8:
                data = bytes(indexes)
            else:
                data = bytes((indexes[i] << 4) | (indexes[i + 1] if i + 1 < len(indexes) else 0)
                             for i in range(0, len(indexes), 2))
        rows.append(data + b"\0" * (-len(data) % 4))
    return b"".join(rows)


def info_header(width, height, bits, colours, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 2835, 2835,
                       colours, 0)


def palette_bytes(palette):
    return b"".join(bytes((b, g, r, 0)) for r, g, b in palette)


def bmp(canvas, bits, background=SILVER):
    palette = {4: VGA, 8: PALETTE_256}.get(bits, [])
    pixels = dib_rows(canvas, bits, palette, background)
    header = info_header(canvas.width, canvas.height, bits, len(palette), len(pixels))
    offset = 14 + len(header) + 4 * len(palette)
    return (b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header +
            palette_bytes(palette) + pixels)


def ico(canvases):
    """A 4-bit icon (16 colours with an AND mask) holding one image per canvas."""
    images = []
    for canvas in canvases:
        xor = dib_rows(canvas, 4, VGA, BLACK)
        mask_rows = []
        for row in reversed(canvas.pixels):
            bits = 0
            data = bytearray()
            for i, c in enumerate(row):
                bits = (bits << 1) | (1 if c is None else 0)
                if i % 8 == 7:
                    data.append(bits)
                    bits = 0
            mask_rows.append(bytes(data) + b"\0" * (-len(data) % 4))
        mask = b"".join(mask_rows)
        header = info_header(canvas.width, canvas.height * 2, 4, 16, len(xor) + len(mask))
        images.append(header + palette_bytes(VGA) + xor + mask)
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        directory += struct.pack("<BBBBHHII", canvas.width, canvas.height, 16, 0, 1, 4,
                                 len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def avi(frames, microseconds_per_frame):
    """An uncompressed 8-bit AVI, one video stream and an index: what the Animate control
    plays."""
    width, height = frames[0].width, frames[0].height
    datas = [dib_rows(f, 8, PALETTE_256, SILVER) for f in frames]
    size = len(datas[0])

    def chunk(fourcc, data):
        return fourcc + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")

    def lst(kind, data):
        return chunk(b"LIST", kind + data)

    avih = struct.pack("<IIIIIIIIII16x", microseconds_per_frame, size * 1000000 //
                       microseconds_per_frame, 0, 0x10, len(frames), 0, 1, size, width, height)
    strh = (b"vids" + b"DIB " + struct.pack("<IHHIIIIIIiI", 0, 0, 0, 0, microseconds_per_frame,
                                            1000000, 0, len(frames), size, -1, 0) +
            struct.pack("<hhhh", 0, 0, width, height))
    strf = info_header(width, height, 8, 256, size) + palette_bytes(PALETTE_256)
    hdrl = lst(b"hdrl", chunk(b"avih", avih) + lst(b"strl", chunk(b"strh", strh) +
                                                   chunk(b"strf", strf)))
    movi_body = b""
    index = b""
    for data in datas:
        # Offsets in the index count from the "movi" word of the movie list.
        index += b"00db" + struct.pack("<III", 0x10, 4 + len(movi_body), len(data))
        movi_body += chunk(b"00db", data)
    body = b"AVI " + hdrl + lst(b"movi", movi_body) + chunk(b"idx1", index)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main_icon():
    pictures = []
    for size in (16, 32):
        canvas = Canvas(size, size)
        disk(canvas, 0, 0, size, stripe_angle=-math.pi / 4)
        pictures.append(canvas)
    return ico(pictures)


def viewer_icon():
    """The drive viewer's icon: the mark under a magnifying lens."""
    pictures = []
    for size in (16, 32):
        canvas = Canvas(size, size)
        disk(canvas, 0, 0, size * 3 // 4)
        lens = size * 5 / 8
        canvas.disc(lens, lens, size / 4, WHITE)
        canvas.ring(lens, lens, size / 4, max(1.5, size / 12), BLACK)
        for i in range(size // 6):
            canvas.rect(size - 3 - i, size - 3 - i, size - i, size - i, BLACK)
        pictures.append(canvas)
    return ico(pictures)


def menu_strip():
    """The tray menu's item pictures, 16 x 16 each, in menu order: configuration, scan, shut
    down, help, about, exit; silver is the see-through colour."""
    canvas = Canvas(16 * 6, 16, SILVER)
    disk(canvas, 0, 0, 16, stripe_angle=-math.pi / 4)                    # configuration
    disk(canvas, 16, 0, 12)                                              # scan: disk, lens
    canvas.ring(16 + 11, 11, 5, 1.5, BLACK)
    canvas.rect(16 + 13, 13, 16 + 16, 16, BLACK)
    canvas.disc(32 + 8, 8, 7, DARK_RED)                                  # shut down
    canvas.ring(32 + 8, 8, 5, 1.5, WHITE)
    canvas.rect(32 + 7, 1, 32 + 9, 8, WHITE)
    canvas.disc(48 + 8, 8, 7, TEAL)                                      # help: "?"
    canvas.ring(48 + 8, 6, 3.5, 1.5, WHITE)
    canvas.rect(48 + 4, 3, 48 + 8, 7, TEAL)
    canvas.rect(48 + 7, 8, 48 + 9, 11, WHITE)
    canvas.rect(48 + 7, 12, 48 + 9, 14, WHITE)
    canvas.disc(64 + 8, 8, 7, NAVY)                                      # about: "i"
    canvas.rect(64 + 7, 3, 64 + 9, 5, WHITE)
    canvas.rect(64 + 7, 6, 64 + 9, 13, WHITE)
    for i in range(3, 13):                                               # exit: a cross
        canvas.rect(80 + i, i, 80 + i + 2, i + 2, DARK_RED)
        canvas.rect(80 + 15 - i - 1, i, 80 + 15 - i + 1, i + 2, DARK_RED)
    return canvas


def splash(bits):
    """The start-up picture: a navy gradient, the mark, and stripes being wiped away."""
    canvas = Canvas(320, 160)
    for y in range(160):
        shade = PALETTE_256[16 + min(239, y * 239 // 159)] if bits == 8 else NAVY
        canvas.rect(0, y, 320, y + 1, shade)
    disk(canvas, 24, 32, 96, stripe_angle=-math.pi / 4)
    for i, length in enumerate((170, 140, 110, 80, 50)):
        canvas.rect(140, 44 + i * 16, 140 + length, 52 + i * 16, WHITE)
    canvas.rect(0, 150, 320, 160, SILVER)
    return bmp(canvas, bits)


def animation(kind):
    """Sixteen frames: the disk turning under its stripe (cleaning), or a file shredded into
    falling strips (zapping)."""
    frames = []
    for n in range(16):
        canvas = Canvas(48, 48, SILVER)
        if kind == "cleaning":
            disk(canvas, 4, 4, 40, stripe_angle=2 * math.pi * n / 16)
        else:
            canvas.rect(12, 2, 36, 20, WHITE)
            canvas.rect(12, 2, 36, 3, BLACK)
            for s in range(6):
                top = 20 + (n * 2 + s * 5) % 26
                canvas.rect(12 + s * 4, top, 14 + s * 4, min(48, top + 6), GREY)
            canvas.rect(8, 18, 40, 22, DARK_RED)
        frames.append(canvas)
    return avi(frames, 100000)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-art.py OUTPUT_FOLDER")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    files = {
        "blankwright.ico": main_icon(),
        "viewer.ico": viewer_icon(),
        "menu.bmp": bmp(menu_strip(), 4),
        "splash4.bmp": splash(4),
        "splash8.bmp": splash(8),
        "cleaning.avi": animation("cleaning"),
        "zapping.avi": animation("zapping"),
    }
    for name, data in files.items():
        path = os.path.join(out, name)
        with open(path + ".part", "wb") as f:
            f.write(data)
        os.replace(path + ".part", path)


if __name__ == "__main__":
    main()
