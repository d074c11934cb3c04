#!/usr/bin/env python3
"""Draws the site-plan pictures of icons/grafic: nine element kinds (six sensors, siren, output,
relay), the alarm or switched-on form of each, and the delete tool. 22 x 22 pixels, transparent.

A normal element is its symbol on a pale tile with a dark rim; its alarm form is the same symbol
in white on a red tile (sensors, siren), its switched-on form in white on a green tile (output,
relay), so the state reads at a glance on any plan.

Run from the repository root:  python3 tools/icons/draw_grafic.py
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from canvas import Canvas  # noqa: E402

SIZE = 22
OUT = os.path.join("icons", "grafic")

RIM = (40, 48, 60)
PALE = (246, 247, 250)
RED = (214, 38, 38)
GREEN = (34, 150, 64)
WHITE = (255, 255, 255)


def tile(c, fill):
    c.rect(1, 1, 21, 21, RIM, radius=4)
    c.rect(2.2, 2.2, 19.8, 19.8, fill, radius=3)


# ---- symbols: each draws in the given colour (its own colour on a pale tile, white otherwise) ----

def water(c, ink):
    # a drop
    c.circle(11, 13.5, 4.6, ink)
    c.polygon([(11, 4), (6.9, 11.6), (15.1, 11.6)], ink)


def gas(c, ink):
    # a gas bottle
    c.rect(7, 7.5, 15, 18, ink, radius=3)
    c.rect(9.5, 4, 12.5, 7.5, ink)
    c.rect(8, 3.5, 14, 4.8, ink, radius=0.6)


def fire(c, ink):
    # a flame
    c.polygon([(11, 3.5), (15.5, 10), (16, 14), (14, 17.5), (11, 18.5), (8, 17.5), (6, 14),
               (6.8, 10.5), (9, 12.5)], ink)


def contact(c, ink):
    # a door contact: the magnet and the reed switch side by side
    c.rect(5, 5, 9.5, 17, ink, radius=1)
    c.rect(12.5, 5, 17, 17, ink, radius=1)


def infrared(c, ink):
    # a motion detector: the lens and its fan of rays
    c.circle(6.5, 11, 2.6, ink)
    for ang in (-35, 0, 35):
        a = math.radians(ang)
        c.line(9.5, 11, 9.5 + 8 * math.cos(a), 11 - 8 * math.sin(a), 1.4, ink)


def barrier(c, ink):
    # two posts and the beams between them
    c.rect(4.5, 4, 7, 18, ink)
    c.rect(15, 4, 17.5, 18, ink)
    for y in (7, 11, 15):
        c.line(7, y, 15, y, 1.0, ink)


def siren(c, ink):
    # a horn with sound waves
    c.polygon([(4, 9), (8, 9), (12.5, 5), (12.5, 17), (8, 13), (4, 13)], ink)
    c.arc(12.5, 11, 4, 1.3, -50, 50, ink)
    c.arc(12.5, 11, 7, 1.3, -50, 50, ink)


def output(c, ink):
    # an output terminal: a ring with an arrow leaving it
    c.ring(7.5, 11, 3.6, 1.6, ink)
    c.line(11, 11, 17, 11, 1.8, ink)
    c.polygon([(18.5, 11), (14.5, 7.8), (14.5, 14.2)], ink)


def relay(c, ink):
    # a relay: the coil box and its switch blade
    c.rect(4, 12, 10, 18, ink, radius=0.8)
    c.line(13, 17, 13, 14, 1.5, ink)
    c.line(13, 14, 17.5, 7.5, 1.5, ink)
    c.circle(13, 17.2, 1.3, ink)
    c.line(17, 4, 17, 8, 1.5, ink)
    c.line(7, 12, 7, 5, 1.2, ink)
    c.line(7, 5, 11, 5, 1.2, ink)


KINDS = [
    # (normal file, second file, symbol, colour on the pale tile, tile of the second form)
    ("sensoraigua", "alarmaaigua", water, (30, 110, 210), RED),
    ("sensorgas", "alarmagas", gas, (150, 120, 20), RED),
    ("sensorfoc", "alarmafoc", fire, (230, 100, 20), RED),
    ("sensorcontacte", "alarmacontacte", contact, (70, 80, 100), RED),
    ("sensorinfraroig", "alarmainfraroig", infrared, (150, 40, 150), RED),
    ("sensorbarrera", "alarmabarrera", barrier, (30, 130, 130), RED),
    ("sortidasirena", "alarmasirena", siren, (190, 60, 30), RED),
    ("sortidanormal", "activatnormal", output, (40, 90, 160), GREEN),
    ("sortidarele", "activatrele", relay, (90, 70, 40), GREEN),
]


def cancel(c):
    c.circle(11, 11, 9.5, RED)
    c.line(7, 7, 15, 15, 2.4, WHITE)
    c.line(15, 7, 7, 15, 2.4, WHITE)


def main():
    os.makedirs(OUT, exist_ok=True)
    for normal, second, symbol, ink, alert in KINDS:
        c = Canvas(SIZE, SIZE)
        tile(c, PALE)
        symbol(c, ink)
        c.save_png(os.path.join(OUT, normal + ".png"))
        c = Canvas(SIZE, SIZE)
        tile(c, alert)
        symbol(c, WHITE)
        c.save_png(os.path.join(OUT, second + ".png"))
    c = Canvas(SIZE, SIZE)
    cancel(c)
    c.save_png(os.path.join(OUT, "cancel.png"))


if __name__ == "__main__":
    main()
