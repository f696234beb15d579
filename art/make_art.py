#!/usr/bin/env python3
"""Draw the kit's icons and wizard-page bitmaps in code and write them as
classic 16-colour (4 bpp) .ico and .bmp files for windres.

Standard library only; output is byte-for-byte deterministic.
Usage: python3 art/make_art.py   (writes next to this script)
"""
import math
import os
import struct

# ---------------------------------------------------------------- palette --
# The standard 16-colour Windows/VGA palette, in its usual index order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)
CLEAR = None  # transparent (icons only)

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


# ----------------------------------------------------------------- canvas --
class Canvas:
    def __init__(self, w, h, fill=CLEAR):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        x, y = math.floor(x + 0.5), math.floor(y + 0.5)
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Filled rectangle, inclusive corners."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)

    def hline(self, x0, x1, y, c):
        self.rect(min(x0, x1), y, max(x0, x1), y, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, min(y0, y1), x, max(y0, y1), c)

    def line(self, x0, y0, x1, y1, c):
        """Bresenham line."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def ellipse(self, cx, cy, rx, ry, c, width=None):
        """Filled ellipse, or an outline `width` pixels thick."""
        for y in range(int(cy - ry - 1), int(cy + ry + 2)):
            for x in range(int(cx - rx - 1), int(cx + rx + 2)):
                d = math.hypot((x - cx) / rx, (y - cy) / ry)
                if d <= 1.0 and (width is None or d > 1.0 - width / min(rx, ry)):
                    self.set(x, y, c)

    def disc(self, cx, cy, r, c):
        self.ellipse(cx, cy, r, r, c)

    def arc(self, cx, cy, r, a0, a1, c, width=1.0):
        """Ring segment from angle a0 to a1 (degrees, 0 = east, counter-clockwise)."""
        for k in range(int(width)):
            rr = r + k - (int(width) - 1) // 2
            steps = int(abs(a1 - a0) * rr / 10) + 8
            for s in range(steps + 1):
                a = math.radians(a0 + (a1 - a0) * s / steps)
                self.set(cx + rr * math.cos(a), cy - rr * math.sin(a), c)

    def waves(self, cx, cy, radii, spread, c, width=1.0):
        """Radio waves: concentric arcs either side of a point, mirrored exactly."""
        probe = Canvas(self.w * 2, self.h)
        for r in radii:
            probe.arc(cx, cy, r, -spread, spread, c, width)
        for y, row in enumerate(probe.px):
            for x, v in enumerate(row):
                if v is not None:
                    self.set(x, y, v)
                    self.set(int(2 * cx) - x, y, v)

    def bevel(self, x0, y0, x1, y1, face, light=WHITE, shade=GRAY, edge=BLACK):
        """A raised 3-D box: light top/left, shaded bottom/right, dark outline."""
        self.rect(x0, y0, x1, y1, face)
        self.frame(x0, y0, x1, y1, edge)
        self.hline(x0 + 1, x1 - 1, y0 + 1, light)
        self.vline(x0 + 1, y0 + 1, y1 - 1, light)
        self.hline(x0 + 1, x1 - 1, y1 - 1, shade)
        self.vline(x1 - 1, y0 + 1, y1 - 1, shade)

    def gradient(self, y0, y1, stops):
        """Vertical ordered-dither blend through a list of palette colours."""
        for y in range(y0, y1 + 1):
            t = (y - y0) / max(1, y1 - y0) * (len(stops) - 1)
            i = min(int(t), len(stops) - 2)
            frac = t - i
            for x in range(self.w):
                hi = BAYER4[y % 4][x % 4] < frac * 16
                self.px[y][x] = stops[i + 1] if hi else stops[i]

    def curve(self, p0, p1, p2, c, thick=1):
        """Quadratic Bezier cable."""
        steps = 4 * int(abs(p2[0] - p0[0]) + abs(p2[1] - p0[1]) + 1)
        for s in range(steps + 1):
            t = s / steps
            x = (1 - t) ** 2 * p0[0] + 2 * (1 - t) * t * p1[0] + t * t * p2[0]
            y = (1 - t) ** 2 * p0[1] + 2 * (1 - t) * t * p1[1] + t * t * p2[1]
            for k in range(thick):
                self.set(x + k, y, c)


# --------------------------------------------------------------- encoders --
def _row4(row, width):
    """Pack palette indices two per byte, padded to a 4-byte boundary."""
    vals = [0 if c is None else c for c in row] + [0]
    out = bytes((vals[i] << 4) | vals[i + 1] for i in range(0, width, 2))
    return out + b"\0" * (-len(out) % 4)


def _dib(cv, with_mask):
    h = cv.h * 2 if with_mask else cv.h
    xor = b"".join(_row4(cv.px[y], cv.w) for y in reversed(range(cv.h)))
    mask = b""
    if with_mask:
        for y in reversed(range(cv.h)):
            bits = bytearray((cv.w + 31) // 32 * 4)
            for x, c in enumerate(cv.px[y]):
                if c is None:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, cv.w, h, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + pal + xor + mask


def write_bmp(path, cv):
    dib = _dib(cv, False)
    off = 14 + 40 + 64
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, off) + dib)


def write_ico(path, canvases):
    images = [_dib(cv, True) for cv in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    off = 6 + 16 * len(images)
    for cv, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", cv.w % 256, cv.h % 256, 16, 0, 1, 4, len(img), off)
        off += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


# ----------------------------------------------------------- shared motifs --
def modem(cv, x0, y0, x1, y1, leds):
    """Modem box: silver case, a front strip with status lights."""
    cv.bevel(x0, y0, x1, y1, SILVER)
    fy = y1 - max(3, (y1 - y0 + 2) // 3)
    cv.hline(x0 + 1, x1 - 1, fy, GRAY)
    lw = max(1, (x1 - x0) // 12)
    for i, c in enumerate(leds):
        lx = x0 + 2 + i * 2 * lw
        cv.rect(lx, fy + 2 if lw > 2 else fy + 1, lx + lw - 1, y1 - 2 - (lw > 2) * 2, c)
    if lw > 2:  # vent slots on big drawings
        for vx in range(x1 - 6, x1 - 22, -4):
            cv.vline(vx, fy + 3, y1 - 4, GRAY)


def tiny_waves(cv, x, y, c, reach=2):
    """Pixel-exact '(' and ')' marks for 16x16 icons, `reach` px from (x, y)."""
    for side in (-1, 1):
        for r in range(2, reach + 1, 2):
            cv.vline(x + side * (r + 1), y - 1, y + 1, c)
            cv.set(x + side * r, y - 2, c)
            cv.set(x + side * r, y + 2, c)


def antenna(cv, x, ytop, ybot, thick=1):
    cv.rect(x, ytop, x + thick - 1, ybot, BLACK)
    if thick > 1:
        cv.vline(x, ytop + 1, ybot, GRAY)


def knob(cv, x, y):
    """Rounded 4x4 antenna tip with its top-left corner at (x, y)."""
    cv.rect(x, y + 1, x + 3, y + 2, BLACK)
    cv.rect(x + 1, y, x + 2, y + 3, BLACK)


def globe(cv, cx, cy, r, sea=BLUE, grid=CYAN, rim=NAVY):
    cv.disc(cx, cy, r, sea)
    cv.vline(cx, cy - r, cy + r, grid)
    cv.hline(cx - r, cx + r, cy, grid)
    if r >= 6:
        cv.ellipse(cx, cy, r * 0.5, r, grid, width=1)
    if r >= 10:
        for dy in (-r // 2, r // 2):
            half = int(math.sqrt(r * r - dy * dy))
            cv.hline(cx - half + 1, cx + half - 1, cy + dy, grid)
    if r >= 12:
        cv.ellipse(cx, cy, r * 0.85, r, grid, width=1)
    cv.ellipse(cx, cy, r + 0.5, r + 0.5, rim, width=1)


def monitor(cv, x0, y0, x1, y1, screen=TEAL):
    cv.bevel(x0, y0, x1, y1, SILVER)
    inset = 2 if x1 - x0 < 14 else 3
    cv.rect(x0 + 2, y0 + 2, x1 - 2, y1 - 2, BLACK)
    cv.rect(x0 + inset, y0 + inset, x1 - inset, y1 - inset, screen)
    mx = (x0 + x1) // 2
    cv.rect(mx - 1, y1 + 1, mx + 1, y1 + 1, GRAY)


def pencil(cv, x, y, length):
    """Diagonal pencil, tip at (x, y), body running up-right."""
    for i in range(length):
        c = BLACK if i < 2 else (SILVER if i < 4 else YELLOW)
        if i == length - 1:
            c = RED
        cv.set(x + i, y - i, c)
        if i >= 2:
            cv.set(x + i + 1, y - i, OLIVE if c == YELLOW else c)
            cv.set(x + i, y - i - 1, c)


# ------------------------------------------------------------------- icons --
def portwizard_icon(n):
    cv = Canvas(n, n)
    if n == 32:
        modem(cv, 2, 18, 29, 28, [LIME, LIME, YELLOW])
        antenna(cv, 23, 6, 17, 2)
        knob(cv, 22, 4)
        cv.waves(23.5, 6, [3.5, 6.5], 50, BLUE)
    else:
        modem(cv, 0, 9, 15, 15, [LIME, YELLOW])
        antenna(cv, 11, 3, 8)
        tiny_waves(cv, 11, 3, BLUE)
    return cv


def initwriter_icon(n):
    cv = Canvas(n, n)
    if n == 32:
        globe(cv, 10, 10, 8)
        modem(cv, 2, 20, 29, 29, [LIME, YELLOW])
        pencil(cv, 19, 19, 12)
    else:
        globe(cv, 4, 4, 4)
        modem(cv, 0, 10, 15, 15, [LIME])
        pencil(cv, 9, 10, 7)
    return cv


def entrymaker_icon(n):
    cv = Canvas(n, n)
    if n == 32:
        monitor(cv, 1, 12, 21, 26)
        cv.bevel(5, 16, 17, 23, WHITE, WHITE, SILVER, NAVY)  # entry card on screen
        for y in (18, 20):
            cv.hline(7, 15 - (y == 20) * 4, y, NAVY)
        cv.rect(5, 28, 17, 29, GRAY)
        cv.hline(5, 17, 28, SILVER)
        cv.hline(18, 25, 29, BLACK)
        antenna(cv, 26, 7, 28, 2)
        cv.rect(24, 29, 29, 30, GRAY)
        knob(cv, 25, 5)
        cv.waves(26.5, 7, [4.5], 50, BLUE)
    else:
        monitor(cv, 0, 5, 9, 12)
        cv.hline(3, 6, 8, WHITE)
        cv.hline(3, 5, 10, WHITE)
        cv.rect(2, 14, 7, 14, GRAY)
        cv.hline(8, 11, 14, BLACK)
        antenna(cv, 12, 4, 14)
        cv.hline(11, 13, 15, GRAY)
        tiny_waves(cv, 12, 3, BLUE)
    return cv


# ------------------------------------------------------------ page images --
def portwizard_page():
    cv = Canvas(119, 258, NAVY)
    cv.gradient(0, 257, [NAVY, BLUE])
    cx, tip = 76, 70
    cv.waves(cx + 1, tip, [10, 19, 28], 36, WHITE, 2.0)
    cv.ellipse(52, 176, 46, 5, NAVY)
    modem(cv, 12, 140, 92, 172, [LIME, LIME, YELLOW, RED])
    antenna(cv, cx, tip, 139, 3)
    cv.disc(cx + 1, tip, 3, BLACK)
    cv.curve((24, 172), (20, 216), (66, 212), BLACK, 2)
    cv.ellipse(86, 248, 26, 4, NAVY)
    cv.bevel(66, 184, 106, 246, SILVER)
    for y in (192, 200):
        cv.bevel(71, y, 101, y + 5, SILVER)
    cv.rect(72, 232, 76, 233, LIME)
    return cv


def initwriter_page():
    cv = Canvas(119, 258, NAVY)
    cv.gradient(0, 257, [NAVY, TEAL])
    ax, ay, by = 44, 48, 200
    cv.waves(ax, ay, [10, 19, 28], 36, WHITE, 2.0)
    legs = [(ax - 22, by), (ax + 22, by)]
    for bx, _ in legs:
        cv.line(ax, ay + 6, bx, by, BLACK)
        cv.line(ax + (1 if bx > ax else -1), ay + 6, bx + (1 if bx > ax else -1), by, SILVER)
    y, side = ay + 16, -1
    while y + 16 <= by:
        w0, w1 = (y - ay) * 22 // (by - ay), (y + 16 - ay) * 22 // (by - ay)
        cv.line(ax + side * w0, y, ax - side * w1, y + 16, SILVER)
        y, side = y + 16, -side
    cv.rect(ax - 1, ay - 6, ax + 1, ay + 6, BLACK)
    cv.disc(ax, ay - 6, 2.5, RED)
    cv.hline(ax - 30, ax + 26, by + 1, BLACK)
    globe(cv, 86, 224, 24)
    return cv


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = lambda name: os.path.join(here, name)
    write_ico(out("portwizard.ico"), [portwizard_icon(32), portwizard_icon(16)])
    write_ico(out("initwriter.ico"), [initwriter_icon(32), initwriter_icon(16)])
    write_ico(out("entrymaker.ico"), [entrymaker_icon(32), entrymaker_icon(16)])
    write_bmp(out("portwizard.bmp"), portwizard_page())
    write_bmp(out("initwriter.bmp"), initwriter_page())


if __name__ == "__main__":
    main()
