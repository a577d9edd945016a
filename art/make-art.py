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


def icon(draw, sizes=(16, 32)):
    """An icon with one picture per size; draw(canvas, size) paints on a transparent canvas."""
    pictures = []
    for size in sizes:
        canvas = Canvas(size, size)
        draw(canvas, size)
        pictures.append(canvas)
    return ico(pictures)


def draw_close_programs(canvas, n):
    """Two program windows, the front one crossed out."""
    u = n / 16
    for ox in (0, 4):
        x0, y0 = int((1 + ox) * u), int((1 + ox) * u)
        canvas.rect(x0, y0, x0 + int(11 * u), y0 + int(10 * u), GREY)
        canvas.rect(x0 + 1, y0 + int(3 * u), x0 + int(11 * u) - 1, y0 + int(10 * u) - 1, WHITE)
        canvas.rect(x0, y0, x0 + int(11 * u), y0 + int(3 * u), NAVY)
    for i in range(int(7 * u), n - 1):
        w = max(1, int(1.5 * u))
        canvas.rect(i, i - int(3 * u), i + w, i - int(3 * u) + w, (255, 0, 0))
        canvas.rect(n + int(4 * u) - i - w, i - int(3 * u), n + int(4 * u) - i, i - int(3 * u) + w,
                    (255, 0, 0))


def draw_warning(canvas, n):
    """A yellow triangle with an exclamation mark."""
    for y in range(1, n - 1):
        half = (y - 1) * (n / 2 - 1) / (n - 3)
        x0, x1 = int(n / 2 - half - 0.5), int(n / 2 + half + 0.5)
        canvas.rect(x0, y, x1, y + 1, BLACK)
        if y < n - 2:
            canvas.rect(x0 + 1, y, x1 - 1, y + 1, YELLOW)
    u = n / 16
    canvas.rect(int(7 * u), int(5 * u), int(9 * u), int(10 * u), BLACK)
    canvas.rect(int(7 * u), int(11 * u), int(9 * u), int(13 * u), BLACK)


def draw_power(canvas, n):
    """The shut-down button: a dark red disc with the power sign."""
    c = n / 2
    canvas.disc(c, c, c - 0.5, DARK_RED)
    canvas.ring(c, c, n * 0.32, max(1.2, n / 11), WHITE)
    canvas.rect(int(c - n / 16), int(n * 0.12), int(c + n / 16) + 1, int(c), DARK_RED)
    canvas.rect(int(c - n / 32), int(n * 0.12), int(c + n / 32) + 1, int(c), WHITE)


def draw_hourglass(canvas, n):
    """An hourglass: the cleaning takes its time."""
    u = n / 16
    canvas.rect(int(3 * u), int(1 * u), int(13 * u), int(2 * u) + 1, BLACK)
    canvas.rect(int(3 * u), int(14 * u) - 1, int(13 * u), int(15 * u), BLACK)
    for y in range(int(2 * u) + 1, int(14 * u) - 1):
        t = abs(y + 0.5 - n / 2) / (n / 2 - 2 * u)
        half = max(1, t * 5 * u)
        x0, x1 = int(n / 2 - half), int(n / 2 + half + 0.5)
        canvas.rect(x0, y, x1, y + 1, BLACK)
        sand = (y > n / 2 and t > 0.35) or (y < n / 2 and t < 0.6)
        canvas.rect(x0 + 1, y, x1 - 1, y + 1, YELLOW if sand else WHITE)


def draw_program_window(canvas, n):
    """A generic program window, for a drive the shell has no picture of."""
    canvas.rect(1, 2, n - 1, n - 2, BLACK)
    canvas.rect(2, 3, n - 2, n - 3, WHITE)
    canvas.rect(2, 3, n - 2, 3 + max(2, n // 6), NAVY)


def draw_check(canvas, n):
    """A red check mark on a see-through background."""
    u = n / 16
    w = max(2, int(2 * u))
    for i in range(int(4 * u)):
        canvas.rect(int((2 + i) * u), int((8 + i) * u), int((2 + i) * u) + w, int((8 + i) * u) + w,
                    (255, 0, 0))
    for i in range(int(9 * u)):
        canvas.rect(int((6 + i) * u), int((12 - i) * u), int((6 + i) * u) + w,
                    int((12 - i) * u) + w, (255, 0, 0))


def draw_document(canvas, n, lines=True):
    """A sheet of paper with a folded corner and lines of text."""
    u = n / 16
    canvas.rect(int(3 * u), int(1 * u), int(13 * u), int(15 * u), BLACK)
    canvas.rect(int(3 * u) + 1, int(1 * u) + 1, int(13 * u) - 1, int(15 * u) - 1, WHITE)
    if lines:
        for y in (4, 7, 10):
            canvas.rect(int(5 * u), int(y * u), int(11 * u), int(y * u) + max(1, int(u)), NAVY)


def draw_slack(canvas, n):
    """A cluster: the file's part filled, its tail (the slack) striped."""
    u = n / 16
    canvas.rect(int(1 * u), int(4 * u), int(15 * u), int(12 * u), BLACK)
    canvas.rect(int(1 * u) + 1, int(4 * u) + 1, int(9 * u), int(12 * u) - 1, NAVY)
    for x in range(int(9 * u), int(15 * u) - 1):
        canvas.rect(x, int(4 * u) + 1, x + 1, int(12 * u) - 1,
                    WHITE if (x // max(1, int(u))) % 2 else SILVER)


def draw_startup(canvas, n):
    """A green arrow: start with the system."""
    u = n / 16
    canvas.disc(n / 2, n / 2, n / 2 - 0.5, (0, 128, 0))
    for y in range(int(4 * u), int(12 * u)):
        half = (int(8 * u) - abs(y - int(8 * u))) * 0.9
        canvas.rect(int(6 * u), y, int(6 * u + half), y + 1, WHITE)


def draw_shredder(canvas, n):
    """A sheet going into strips: the zap."""
    u = n / 16
    canvas.rect(int(4 * u), int(1 * u), int(12 * u), int(8 * u), WHITE)
    canvas.rect(int(4 * u), int(1 * u), int(12 * u), int(1 * u) + 1, BLACK)
    canvas.rect(int(2 * u), int(8 * u), int(14 * u), int(10 * u), DARK_RED)
    for i in range(4):
        x = int((4 + 2 * i) * u)
        canvas.rect(x, int(10 * u), x + max(1, int(u)), int((13 + i % 2 * 2) * u), GREY)


def draw_bin(canvas, n):
    """A waste basket."""
    u = n / 16
    canvas.rect(int(3 * u), int(3 * u), int(13 * u), int(4 * u) + 1, BLACK)
    for y in range(int(4 * u) + 1, int(15 * u)):
        inset = int((y - 4 * u) / (11 * u) * 2 * u)
        canvas.rect(int(4 * u) + inset, y, int(12 * u) - inset, y + 1, GREY)
    for x in (6, 8, 10):
        canvas.rect(int(x * u), int(6 * u), int(x * u) + 1, int(13 * u), BLACK)


def draw_folder(canvas, n):
    """A yellow folder."""
    u = n / 16
    canvas.rect(int(1 * u), int(3 * u), int(7 * u), int(5 * u), (128, 128, 0))
    canvas.rect(int(1 * u), int(5 * u), int(15 * u), int(14 * u), (128, 128, 0))
    canvas.rect(int(1 * u) + 1, int(5 * u) + 1, int(15 * u) - 1, int(14 * u) - 1, YELLOW)


def draw_printer(canvas, n):
    """A printer with a sheet in it."""
    u = n / 16
    canvas.rect(int(4 * u), int(1 * u), int(12 * u), int(7 * u), WHITE)
    canvas.rect(int(1 * u), int(6 * u), int(15 * u), int(12 * u), GREY)
    canvas.rect(int(1 * u), int(6 * u), int(15 * u), int(6 * u) + 1, BLACK)
    canvas.rect(int(4 * u), int(10 * u), int(12 * u), int(15 * u), WHITE)
    canvas.rect(int(12 * u), int(8 * u), int(13 * u) + 1, int(9 * u) + 1, (0, 255, 0))


def draw_zap_file(canvas, n):
    """A sheet of paper with a folded corner, struck by a red bolt: a file about to be zapped."""
    u = n / 16
    x0, y0, x1, y1 = int(2 * u), int(1 * u), int(12 * u), n - 1
    fold = int(4 * u)
    canvas.rect(x0, y0, x1 - fold, y0 + 1, BLACK)
    canvas.rect(x0, y0, x0 + 1, y1, BLACK)
    canvas.rect(x0, y1 - 1, x1, y1, BLACK)
    canvas.rect(x1 - 1, y0 + fold, x1, y1, BLACK)
    canvas.rect(x0 + 1, y0 + 1, x1 - fold, y1 - 1, WHITE)
    canvas.rect(x1 - fold, y0 + fold, x1 - 1, y1 - 1, WHITE)
    for i in range(fold):
        canvas.rect(x1 - fold + i, y0 + i, x1 - fold + i + 1, y0 + i + 1, BLACK)
        canvas.rect(x1 - fold, y0 + i + 1, x1 - fold + i + 1, y0 + i + 2, SILVER)
    for i in range(3):
        canvas.rect(x0 + int(2 * u), y0 + int((6 + 2 * i) * u), x1 - int(2 * u),
                    y0 + int((6 + 2 * i) * u) + max(1, int(u)), GREY)
    bolt = [(11, 5), (8, 10), (11, 10), (7, 15)]
    for (ax, ay), (bx, by) in zip(bolt, bolt[1:]):
        steps = int(max(abs(bx - ax), abs(by - ay)) * u * 2) + 1
        for s in range(steps + 1):
            t = s / steps
            x, y = (ax + (bx - ax) * t) * u + 2 * u, (ay + (by - ay) * t) * u
            w = max(2, int(2 * u))
            canvas.rect(int(x), int(y), min(n, int(x) + w), min(n, int(y) + w), (255, 0, 0))


def draw_zap_folder(canvas, n):
    """A yellow folder struck by a red bolt: a folder about to be zapped with all it holds."""
    u = n / 16
    canvas.rect(int(1 * u), int(3 * u), int(7 * u), int(5 * u) + 1, BLACK)
    canvas.rect(int(1 * u) + 1, int(3 * u) + 1, int(7 * u) - 1, int(5 * u) + 1, YELLOW)
    canvas.rect(int(1 * u), int(5 * u), n - 1, int(14 * u), BLACK)
    canvas.rect(int(1 * u) + 1, int(5 * u) + 1, n - 2, int(14 * u) - 1, YELLOW)
    canvas.rect(int(1 * u) + 1, int(5 * u) + 1, n - 2, int(6 * u) + 1, WHITE)
    bolt = [(11, 4), (8, 9), (11, 9), (7, 15)]
    for (ax, ay), (bx, by) in zip(bolt, bolt[1:]):
        steps = int(max(abs(bx - ax), abs(by - ay)) * u * 2) + 1
        for s in range(steps + 1):
            t = s / steps
            x, y = (ax + (bx - ax) * t) * u, (ay + (by - ay) * t) * u
            w = max(2, int(2 * u))
            canvas.rect(int(x), int(y), min(n, int(x) + w), min(n, int(y) + w), (255, 0, 0))


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
            # Side edges, so that the sheet stands out on a light dialog face too.
            canvas.rect(12, 2, 13, 20, BLACK)
            canvas.rect(35, 2, 36, 20, BLACK)
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
        "closeprograms.ico": icon(draw_close_programs),
        "warning.ico": icon(draw_warning),
        "shutdown.ico": icon(draw_power),
        "hourglass.ico": icon(draw_hourglass),
        "program.ico": icon(draw_program_window, (16,)),
        "check.ico": icon(draw_check, (16,)),
        "nocheck.ico": icon(lambda canvas, n: None, (16,)),
        "document.ico": icon(draw_document),
        "slack.ico": icon(draw_slack),
        "startup.ico": icon(draw_startup),
        "shredder.ico": icon(draw_shredder),
        "bin.ico": icon(draw_bin),
        "folder.ico": icon(draw_folder),
        "printer.ico": icon(draw_printer),
        "zapfile.ico": icon(draw_zap_file),
        "zapfolder.ico": icon(draw_zap_folder),
    }
    for name, data in files.items():
        path = os.path.join(out, name)
        with open(path + ".part", "wb") as f:
            f.write(data)
        os.replace(path + ".part", path)


if __name__ == "__main__":
    main()
