"""Draws the pictures of the status panel into icons/estat/.

Static icons (clock, date, cover and the eight warnings) are drawn on pure white, which the
panel makes transparent; the drawings themselves never use pure white. The four command
buttons are drawn on a transparent background, since bitmap buttons show their file unchanged.

Run from the repository root: python3 tools/icons/draw_estat.py
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from canvas import Canvas  # noqa: E402

OUT = os.path.join("icons", "estat")
S = 20  # every picture is 20 x 20

WHITE = (255, 255, 255, 255)
PAPER = (250, 250, 250)  # "white" inside a drawing: never pure white
INK = (40, 48, 60)
RED = (205, 40, 40)
GREEN = (40, 150, 60)
ORANGE = (235, 140, 20)
BLUE = (40, 90, 190)
YELLOW = (245, 200, 30)
GREY = (120, 125, 135)


def static_icon():
    return Canvas(S, S, WHITE)


def button_icon():
    return Canvas(S, S)


# ---- static icons ----

def clock():
    c = static_icon()
    c.circle(10, 10, 8.5, INK)
    c.circle(10, 10, 7, PAPER)
    for k in range(12):
        a = math.radians(k * 30)
        c.line(10 + 5.6 * math.cos(a), 10 + 5.6 * math.sin(a), 10 + 6.4 * math.cos(a), 10 + 6.4 * math.sin(a), 1, INK)
    c.line(10, 10, 10, 5, 1.6, INK)
    c.line(10, 10, 13.5, 11.5, 1.6, INK)
    c.circle(10, 10, 1.2, RED)
    return c


def date():
    c = static_icon()
    c.rect(2, 3.5, 18, 18, INK, radius=1.5)
    c.rect(3.2, 7.5, 16.8, 16.8, PAPER)
    c.rect(2, 3.5, 18, 7.5, RED, radius=1.5)
    c.rect(5, 1.5, 6.5, 5.5, INK)
    c.rect(13.5, 1.5, 15, 5.5, INK)
    for row in range(2):
        for col in range(3):
            x = 4.8 + col * 4
            y = 9.5 + row * 3.5
            c.rect(x, y, x + 2.4, y + 2.2, GREY)
    c.rect(12.8, 13, 15.2, 15.2, RED)
    return c


def cover():
    # One bar of the coverage meter: a rising signal bar.
    c = static_icon()
    c.rect(6, 3, 14, 18, GREEN, radius=1)
    c.rect(7.5, 4.5, 12.5, 8, (120, 200, 130))
    return c


def prefire():
    c = static_icon()
    c.polygon([(10, 1.5), (15.5, 9), (16, 14), (13, 18), (7, 18), (4, 14), (4.5, 9), (7, 11), (7.5, 6)], ORANGE)
    c.polygon([(10, 8), (13, 12.5), (12.5, 16), (7.5, 16), (7, 12.5)], YELLOW)
    return c


def timealarm():
    c = clock()
    c.circle(15, 15, 4.5, RED)
    c.line(15, 12.5, 15, 15.5, 1.5, PAPER)
    c.circle(15, 17.3, 0.8, PAPER)
    return c


def power():
    c = static_icon()
    # A plug with its cable, crossed out: no mains.
    c.rect(6, 6, 14, 13, INK, radius=1.5)
    c.rect(7.5, 2, 9, 6, INK)
    c.rect(11, 2, 12.5, 6, INK)
    c.line(10, 13, 10, 18.5, 2, INK)
    c.line(3, 17, 17, 3, 2.2, RED)
    return c


def nobattery():
    c = static_icon()
    c.rect(2, 6, 16, 15, INK, radius=1.5)
    c.rect(3.3, 7.3, 14.7, 13.7, PAPER)
    c.rect(16, 8.5, 18, 12.5, INK)
    c.rect(4.3, 8.3, 7, 12.7, RED)
    return c


def warning():
    c = static_icon()
    c.polygon([(10, 1.5), (19, 18), (1, 18)], INK)
    c.polygon([(10, 4.5), (16.6, 16.6), (3.4, 16.6)], YELLOW)
    c.line(10, 8, 10, 12.5, 2, INK)
    c.circle(10, 14.8, 1.1, INK)
    return c


def door(arrow_in):
    c = static_icon()
    c.rect(9, 2, 18, 18, INK)
    c.rect(10.3, 3.3, 16.7, 18, (185, 140, 90))
    c.circle(11.8, 10.5, 0.9, INK)
    colour = GREEN if arrow_in else ORANGE
    if arrow_in:
        c.line(1.5, 10, 7.5, 10, 2, colour)
        c.polygon([(8.5, 10), (5, 6.5), (5, 13.5)], colour)
    else:
        c.line(8, 10, 2.5, 10, 2, colour)
        c.polygon([(1, 10), (4.5, 6.5), (4.5, 13.5)], colour)
    return c


def memoryalarm():
    c = static_icon()
    # A bell with a red dot: an alarm kept in memory.
    c.polygon([(10, 3), (14.5, 6), (15, 13), (17, 15.5), (3, 15.5), (5, 13), (5.5, 6)], ORANGE)
    c.circle(10, 17, 1.7, INK)
    c.circle(10, 3, 1.2, ORANGE)
    c.circle(15.5, 4.5, 3.2, RED)
    return c


# ---- command buttons (transparent) ----

def omit():
    # Bypass (and switch off): a crossed circle.
    c = button_icon()
    c.circle(10, 10, 8, GREY)
    c.circle(10, 10, 6.3, (235, 235, 235))
    c.line(5.5, 14.5, 14.5, 5.5, 2.4, RED)
    return c


def noomit():
    # Restore (and switch on): a tick in a circle.
    c = button_icon()
    c.circle(10, 10, 8, GREEN)
    c.polyline([(5.5, 10.2), (8.8, 13.5), (14.5, 6.8)], 2.4, PAPER)
    return c


def padlock(closed):
    c = button_icon()
    if closed:
        c.arc(10, 8, 4.2, 1.8, 0, 180, INK)
        c.line(5.8, 8, 5.8, 10, 1.8, INK)
        c.line(14.2, 8, 14.2, 10, 1.8, INK)
    else:
        c.arc(14, 6, 4.2, 1.8, 0, 180, INK)
        c.line(18.2, 6, 18.2, 9, 1.8, INK)
    body = RED if closed else GREEN
    c.rect(3.5, 9.5, 16.5, 18.5, body, radius=1.5)
    c.circle(10, 13.3, 1.5, INK)
    c.line(10, 13.3, 10, 16.3, 1.2, INK)
    return c


PICTURES = {
    "clock": clock,
    "date": date,
    "cover": cover,
    "prefire": prefire,
    "timealarm": timealarm,
    "power": power,
    "nobattery": nobattery,
    "warning": warning,
    "routein": lambda: door(True),
    "routeout": lambda: door(False),
    "memoryalarm": memoryalarm,
    "omit": omit,
    "noomit": noomit,
    "armed": lambda: padlock(True),
    "disarmed": lambda: padlock(False),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, draw in PICTURES.items():
        draw().save_png(os.path.join(OUT, name + ".png"))
    print("wrote %d pictures into %s" % (len(PICTURES), OUT))


if __name__ == "__main__":
    main()
