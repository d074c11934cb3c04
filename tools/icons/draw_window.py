#!/usr/bin/env python3
"""Draws the main window's pictures: the window icon icons/lock.ico, the 21 toolbar images in
icons/toolbar/, the two keypad buttons in icons/keypad/ and the seven tree pictures in
icons/tree/. Every picture is designed on a 32 x 32 grid and scaled to its size; one palette and
one dark outline keep them consistent. Run from anywhere; the output is committed.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from canvas import Canvas, save_ico  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

INK = (52, 58, 70)
PAPER = (250, 250, 246)
GREY = (150, 156, 166)
BLUE = (52, 110, 196)
LIGHTBLUE = (120, 170, 230)
GREEN = (46, 150, 72)
RED = (204, 58, 52)
YELLOW = (240, 190, 60)
DARKYELLOW = (196, 142, 30)
ORANGE = (228, 128, 40)
CHIP = (70, 74, 84)


class Pen:
    """Draws on a canvas in 32-unit coordinates."""

    def __init__(self, size):
        self.c = Canvas(size, size)
        self.k = size / 32.0

    def rect(self, x0, y0, x1, y1, colour, radius=0.0, outline=True):
        k = self.k
        if outline:
            self.c.rect((x0 - 1) * k, (y0 - 1) * k, (x1 + 1) * k, (y1 + 1) * k, INK, (radius + 1) * k if radius else 0)
        self.c.rect(x0 * k, y0 * k, x1 * k, y1 * k, colour, radius * k)

    def circle(self, cx, cy, r, colour, outline=True):
        k = self.k
        if outline:
            self.c.circle(cx * k, cy * k, (r + 1) * k, INK)
        self.c.circle(cx * k, cy * k, r * k, colour)

    def poly(self, points, colour, outline=True):
        k = self.k
        pts = [(x * k, y * k) for x, y in points]
        if outline:
            self.c.polyline(pts + [pts[0]], 2 * k, INK)
        self.c.polygon(pts, colour)

    def line(self, x0, y0, x1, y1, width, colour):
        k = self.k
        self.c.line(x0 * k, y0 * k, x1 * k, y1 * k, max(width * k, 1.0), colour)

    def arc(self, cx, cy, r, width, a0, a1, colour):
        k = self.k
        self.c.arc(cx * k, cy * k, r * k, width * k, a0, a1, colour)

    def ring(self, cx, cy, r, width, colour):
        k = self.k
        self.c.ring(cx * k, cy * k, r * k, width * k, colour)


# ---- shared parts ----

def page(p, x0=7, y0=3, x1=25, y1=29, lines=True):
    fold = 6
    p.poly([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], PAPER)
    p.poly([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], (210, 212, 216))
    if lines:
        for y in range(y0 + 10, y1 - 3, 4):
            p.line(x0 + 3, y, x1 - 3, y, 1.5, GREY)


def plus(p, cx, cy, colour, r=7):
    p.circle(cx, cy, r, colour)
    p.line(cx - r * 0.55, cy, cx + r * 0.55, cy, 2.6, PAPER)
    p.line(cx, cy - r * 0.55, cx, cy + r * 0.55, 2.6, PAPER)


def minus(p, cx, cy, colour, r=7):
    p.circle(cx, cy, r, colour)
    p.line(cx - r * 0.55, cy, cx + r * 0.55, cy, 2.6, PAPER)


def cross(p, cx, cy, colour, r=7):
    p.circle(cx, cy, r, colour)
    d = r * 0.42
    p.line(cx - d, cy - d, cx + d, cy + d, 2.6, PAPER)
    p.line(cx - d, cy + d, cx + d, cy - d, 2.6, PAPER)


def folder(p, opened=False):
    p.poly([(3, 8), (12, 8), (15, 11), (29, 11), (29, 27), (3, 27)], DARKYELLOW)
    if opened:
        p.poly([(7, 15), (31, 15), (27, 27), (3, 27)], YELLOW)
    else:
        p.rect(3, 14, 29, 27, YELLOW, outline=False)


def floppy(p, colour=BLUE):
    p.rect(4, 4, 28, 28, colour, 2)
    p.rect(9, 4, 23, 12, PAPER, outline=False)
    p.rect(18, 5.5, 21, 10.5, colour, outline=False)
    p.rect(8, 17, 24, 28, (228, 232, 240), outline=False)


def arrow(p, direction, colour, cx=16, cy=16, size=1.0):
    """A thick arrow pointing up, down, left or right."""
    base = [(-5, 2), (-5, -9), (5, -9), (5, 2), (11, 2), (0, 13), (-11, 2)]
    rot = {"down": (1, 0, 0, 1), "up": (1, 0, 0, -1), "right": (0, 1, 1, 0), "left": (0, -1, 1, 0)}[direction]
    a, b, c, d = rot
    pts = [(cx + size * (a * x + b * y), cy + size * (c * x + d * y)) for x, y in base]
    p.poly(pts, colour)


def tray(p):
    p.poly([(4, 20), (9, 20), (9, 25), (23, 25), (23, 20), (28, 20), (28, 29), (4, 29)], GREY)


def chip(p, x0, y0, x1, y1):
    for x in range(int(x0) + 2, int(x1) - 1, 3):
        p.line(x, y0 - 2.5, x, y1 + 2.5, 1.5, GREY)
    p.rect(x0, y0, x1, y1, CHIP, 1)


def bolt(p, x, y, s=1.0):
    pts = [(6, 0), (0, 9), (4, 9), (2, 17), (10, 6), (6, 6), (8, 0)]
    p.poly([(x + s * a, y + s * b) for a, b in pts], YELLOW)


def circular_arrows(p, colour):
    p.arc(16, 16, 10, 3.5, 30, 170, colour)
    p.arc(16, 16, 10, 3.5, 210, 350, colour)
    p.poly([(2, 14), (10, 14), (6, 20)], colour, outline=False)
    p.poly([(30, 18), (22, 18), (26, 12)], colour, outline=False)


def gear(p, colour=GREY):
    for i in range(8):
        a = math.radians(i * 45)
        p.line(16 + 9 * math.cos(a), 16 + 9 * math.sin(a), 16 + 13 * math.cos(a), 16 + 13 * math.sin(a), 5, INK)
    for i in range(8):
        a = math.radians(i * 45)
        p.line(16 + 9 * math.cos(a), 16 + 9 * math.sin(a), 16 + 12 * math.cos(a), 16 + 12 * math.sin(a), 3, colour)
    p.circle(16, 16, 9.5, colour)
    p.circle(16, 16, 4, PAPER)


def plug(p, x, colour, flip=False):
    s = -1 if flip else 1
    body = [(x, 11), (x + s * 8, 11), (x + s * 8, 21), (x, 21)]
    p.poly(body, colour)
    p.line(x + s * 8, 13.5, x + s * 12, 13.5, 2, INK)
    p.line(x + s * 8, 18.5, x + s * 12, 18.5, 2, INK)


# ---- toolbar ----

def t_filenew(p):
    page(p)
    plus(p, 23, 23, GREEN)


def t_fileopen(p):
    folder(p, opened=True)


def t_filesave(p):
    floppy(p)


def t_filesaveas(p):
    floppy(p)
    p.line(14, 26, 27, 13, 5, INK)
    p.line(14, 26, 27, 13, 3, ORANGE)
    p.poly([(12, 28), (13, 24), (16, 27)], INK, outline=False)


def t_edit_add(p):
    plus(p, 16, 16, GREEN, 12)


def t_edit_remove(p):
    minus(p, 16, 16, RED, 12)


def t_fileclose(p):
    page(p)
    cross(p, 23, 23, RED)


def t_configure(p):
    gear(p)


def t_connect_creating(p):
    plug(p, 3, GREEN)
    plug(p, 29, GREEN, flip=True)
    p.line(1, 16, 3, 16, 2.5, INK)
    p.line(29, 16, 31, 16, 2.5, INK)


def t_connect_no(p):
    plug(p, 2, GREY)
    plug(p, 30, GREY, flip=True)
    cross(p, 16, 16, RED, 6)


def t_download(p):
    tray(p)
    arrow(p, "down", BLUE, 16, 11, 0.95)


def t_upload(p):
    tray(p)
    arrow(p, "up", GREEN, 16, 13, 0.95)


def t_rebuild(p):
    circular_arrows(p, GREEN)
    p.circle(16, 16, 4, YELLOW)


def t_ok(p):
    p.line(6, 17, 13, 25, 7, INK)
    p.line(13, 25, 27, 8, 7, INK)
    p.line(6, 17, 13, 25, 4.5, GREEN)
    p.line(13, 25, 27, 8, 4.5, GREEN)


def t_undo(p):
    p.arc(17, 18, 9, 4, 270, 360, ORANGE)
    p.arc(17, 18, 9, 4, 0, 130, ORANGE)
    p.poly([(4, 10), (13, 8), (10, 17)], ORANGE)
    p.line(17, 27, 11, 27, 4, ORANGE)


def t_eepreset(p):
    chip(p, 5, 8, 21, 24)
    p.arc(23, 22, 6, 3, 0, 270, RED)
    p.poly([(26, 13), (31, 18), (24, 19)], RED, outline=False)


def t_flash(p):
    chip(p, 3, 10, 13, 22)
    arrow(p, "right", BLUE, 17, 16, 0.45)
    bolt(p, 21, 7, 1.05)


def t_flash2eep(p):
    bolt(p, 2, 7, 1.05)
    arrow(p, "right", BLUE, 15, 16, 0.45)
    chip(p, 19, 10, 29, 22)


def t_kcalc(p):
    p.rect(5, 3, 27, 29, (200, 204, 212), 3)
    p.rect(8, 6, 24, 11, (190, 220, 190), outline=False)
    for row in range(3):
        for col in range(3):
            x, y = 8.5 + col * 5.5, 14 + row * 4.8
            p.rect(x, y, x + 4, y + 3.3, BLUE if (row, col) != (2, 2) else GREEN, 0.8, outline=False)


def t_kwrite(p):
    page(p, 5, 3, 23, 29)
    p.line(15, 27, 28, 12, 5, INK)
    p.line(15, 27, 28, 12, 3, YELLOW)
    p.poly([(13, 29.5), (14, 25), (17.5, 28)], INK, outline=False)


def t_exit(p):
    p.rect(5, 3, 19, 29, (170, 120, 80), 1)
    p.circle(16, 17, 1.3, YELLOW, outline=False)
    arrow(p, "right", RED, 22, 16, 0.6)


TOOLBAR = {
    "filenew": t_filenew, "fileopen": t_fileopen, "filesave": t_filesave, "filesaveas": t_filesaveas,
    "edit_add": t_edit_add, "edit_remove": t_edit_remove, "fileclose": t_fileclose,
    "configure": t_configure, "connect_creating": t_connect_creating, "connect_no": t_connect_no,
    "download": t_download, "upload": t_upload, "rebuild": t_rebuild, "ok": t_ok, "undo": t_undo,
    "EepReset": t_eepreset, "flash": t_flash, "flash2eep": t_flash2eep, "kcalc": t_kcalc,
    "kwrite": t_kwrite, "exit": t_exit,
}


# ---- tree ----

def n_group(p):
    folder(p)


def n_group_selected(p):
    folder(p, opened=True)


def n_installation(p):
    p.poly([(16, 3), (30, 15), (26, 15), (26, 29), (6, 29), (6, 15), (2, 15)], (230, 110, 80))
    p.rect(13, 19, 19, 29, PAPER, outline=False)


def n_component(p):
    p.rect(4, 5, 28, 27, LIGHTBLUE, 3)
    p.rect(8, 9, 24, 15, (40, 60, 90), outline=False)
    for i in range(3):
        p.circle(10 + i * 6, 21, 2, GREEN if i == 0 else PAPER, outline=False)


def n_data(p):
    page(p, 5, 2, 27, 30)


def n_view(p):
    p.rect(3, 5, 29, 23, (40, 60, 90), 2)
    p.rect(6, 8, 26, 20, LIGHTBLUE, outline=False)
    p.line(9, 17, 14, 12, 2.5, GREEN)
    p.line(14, 12, 18, 15, 2.5, GREEN)
    p.line(18, 15, 23, 10, 2.5, GREEN)
    p.rect(12, 24, 20, 28, GREY, outline=False)


def n_spare(p):
    p.circle(16, 16, 7, GREY)


TREE = {
    "group": n_group, "group_selected": n_group_selected, "installation": n_installation,
    "component": n_component, "data": n_data, "view": n_view, "spare": n_spare,
}


# ---- keypad, window icon ----

def k_back(p):
    arrow(p, "left", BLUE, 17, 16, 1.15)


def k_forward(p):
    arrow(p, "right", GREEN, 15, 16, 1.15)


def lock(p):
    p.arc(16, 14, 8, 4, 0, 180, GREY)
    p.rect(6.5, 13, 9.5, 16, GREY, outline=False)
    p.rect(22.5, 13, 25.5, 16, GREY, outline=False)
    p.rect(5, 15, 27, 30, YELLOW, 2)
    p.circle(16, 21, 2.6, INK, outline=False)
    p.rect(15, 22, 17, 27, INK, outline=False)


def draw(fn, size):
    p = Pen(size)
    fn(p)
    return p.c


def main():
    out = os.path.join(ROOT, "icons")
    for name, fn in TOOLBAR.items():
        draw(fn, 32).save_png(os.path.join(out, "toolbar", name + ".png"))
    for name, fn in TREE.items():
        draw(fn, 16).save_png(os.path.join(out, "tree", name + ".png"))
    draw(k_back, 24).save_png(os.path.join(out, "keypad", "back.png"))
    draw(k_forward, 24).save_png(os.path.join(out, "keypad", "forward.png"))
    save_ico(os.path.join(out, "lock.ico"), [draw(lock, s) for s in (16, 32, 48)])


if __name__ == "__main__":
    main()
