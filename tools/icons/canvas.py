"""A tiny RGBA canvas for the program's own pictures, with no library beyond Python's.

Shapes are filled by coverage: every pixel is sampled on a 4 x 4 grid, so edges are smooth at
toolbar sizes. Colours are (r, g, b) or (r, g, b, a) tuples; drawing blends over what is there.
Save as PNG (`save_png`) or as a Windows icon holding 32-bit bitmaps (`save_ico`), which the
toolkit reads on every platform.
"""
import math
import struct
import zlib

SS = 4  # samples per pixel along each axis


class Canvas:
    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.w, self.h = width, height
        bg = _rgba(background)
        self.px = [list(bg) for _ in range(width * height)]

    # ---- the one primitive: fill where inside(x, y) holds, in pixel coordinates ----
    def fill(self, inside, colour, box=None):
        r, g, b, a = _rgba(colour)
        x0, y0, x1, y1 = box or (0, 0, self.w, self.h)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            hits += 1
                if hits:
                    self._blend(x, y, r, g, b, a * hits / (SS * SS))

    def _blend(self, x, y, r, g, b, a):
        p = self.px[y * self.w + x]
        sa = a / 255.0
        da = p[3] / 255.0
        oa = sa + da * (1 - sa)
        if oa <= 0:
            return
        for i, c in enumerate((r, g, b)):
            p[i] = round((c * sa + p[i] * da * (1 - sa)) / oa)
        p[3] = round(oa * 255)

    # ---- shapes ----
    def rect(self, x0, y0, x1, y1, colour, radius=0.0):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            if radius <= 0:
                return True
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
        self.fill(inside, colour, (x0, y0, x1, y1))

    def ellipse(self, cx, cy, rx, ry, colour):
        self.fill(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0, colour,
                  (cx - rx, cy - ry, cx + rx, cy + ry))

    def circle(self, cx, cy, r, colour):
        self.ellipse(cx, cy, r, r, colour)

    def ring(self, cx, cy, r, width, colour):
        self.fill(lambda x, y: r - width <= math.hypot(x - cx, y - cy) <= r, colour,
                  (cx - r, cy - r, cx + r, cy + r))

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            odd = False
            j = len(points) - 1
            for i in range(len(points)):
                (xi, yi), (xj, yj) = points[i], points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    odd = not odd
                j = i
            return odd
        self.fill(inside, colour, (min(xs), min(ys), max(xs), max(ys)))

    def line(self, x0, y0, x1, y1, width, colour):
        """A straight stroke with round ends."""
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9
        half = width / 2.0

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= half
        self.fill(inside, colour, (min(x0, x1) - half, min(y0, y1) - half,
                                   max(x0, x1) + half, max(y0, y1) + half))

    def polyline(self, points, width, colour):
        for a, b in zip(points, points[1:]):
            self.line(a[0], a[1], b[0], b[1], width, colour)

    def arc(self, cx, cy, r, width, start_deg, end_deg, colour):
        """A stroke along a circle from start to end (degrees, counter-clockwise, 0 = east)."""
        def inside(x, y):
            if not (r - width / 2 <= math.hypot(x - cx, y - cy) <= r + width / 2):
                return False
            ang = math.degrees(math.atan2(cy - y, x - cx)) % 360
            s, e = start_deg % 360, end_deg % 360
            return s <= ang <= e if s <= e else ang >= s or ang <= e
        self.fill(inside, colour, (cx - r - width, cy - r - width, cx + r + width, cy + r + width))

    # ---- output ----
    def png_bytes(self):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                raw.extend(self.px[y * self.w + x])

        def chunk(kind, data):
            c = struct.pack(">I", len(data)) + kind + data
            return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        return (b"\x89PNG\r\n\x1a\n"
                + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))

    def save_png(self, path):
        with open(path, "wb") as f:
            f.write(self.png_bytes())

    def dib_bytes(self):
        """The image as a 32-bit bottom-up bitmap with its AND mask, as an icon entry holds it."""
        header = struct.pack("<IiiHHIIiiII", 40, self.w, self.h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = bytearray()
        for y in reversed(range(self.h)):
            for x in range(self.w):
                r, g, b, a = self.px[y * self.w + x]
                pixels.extend((b, g, r, a))
        row = ((self.w + 31) // 32) * 4
        mask = bytearray()
        for y in reversed(range(self.h)):
            bits = bytearray(row)
            for x in range(self.w):
                if self.px[y * self.w + x][3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask.extend(bits)
        return header + bytes(pixels) + bytes(mask)


def save_ico(path, canvases):
    """A Windows icon with one 32-bit entry per canvas (sizes up to 255)."""
    entries = [c.dib_bytes() for c in canvases]
    offset = 6 + 16 * len(canvases)
    out = bytearray(struct.pack("<HHH", 0, 1, len(canvases)))
    for c, data in zip(canvases, entries):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def _rgba(colour):
    return tuple(colour) if len(colour) == 4 else (colour[0], colour[1], colour[2], 255)
