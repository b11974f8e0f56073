#!/usr/bin/env python3
"""Draws the program's small toolbar icons (16x16) as ICO and PNG files.

The pictures are deliberately plain; run once and commit the results:
    python3 scripts/make-icons.py Client/resources/icons
"""
import struct, sys, zlib, os

S = 16

def canvas():
    return [[(0, 0, 0, 0) for _ in range(S)] for _ in range(S)]

def put(c, x, y, rgba):
    if 0 <= x < S and 0 <= y < S:
        c[y][x] = rgba

def rect(c, x0, y0, x1, y1, rgba, fill=True):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            if fill or x in (x0, x1) or y in (y0, y1):
                put(c, x, y, rgba)

def line(c, x0, y0, x1, y1, rgba, w=1):
    n = max(abs(x1 - x0), abs(y1 - y0)) or 1
    for i in range(n + 1):
        x = round(x0 + (x1 - x0) * i / n); y = round(y0 + (y1 - y0) * i / n)
        for d in range(w):
            put(c, x + d, y, rgba)

BLUE = (40, 100, 200, 255); RED = (200, 40, 40, 255); GREEN = (40, 150, 60, 255)
GREY = (90, 90, 90, 255); WHITE = (255, 255, 255, 255); DARK = (30, 30, 30, 255)

def icon_minimize():
    c = canvas(); rect(c, 3, 11, 12, 12, DARK); return c
def icon_maximize():
    c = canvas(); rect(c, 2, 2, 13, 13, DARK, fill=False); rect(c, 2, 2, 13, 4, DARK); return c
def icon_delete():
    c = canvas(); line(c, 3, 3, 12, 12, RED, 2); line(c, 12, 3, 3, 12, RED, 2); return c
def icon_add():
    c = canvas(); rect(c, 7, 2, 8, 13, GREEN); rect(c, 2, 7, 13, 8, GREEN); return c
def icon_edit():
    c = canvas(); line(c, 3, 12, 12, 3, BLUE, 2); rect(c, 2, 13, 4, 14, DARK); return c
def icon_refresh():
    c = canvas()
    import math
    for a in range(30, 330, 6):
        r = math.radians(a)
        put(c, round(7.5 + 5 * math.cos(r)), round(7.5 + 5 * math.sin(r)), GREEN)
        put(c, round(7.5 + 4 * math.cos(r)), round(7.5 + 4 * math.sin(r)), GREEN)
    rect(c, 11, 3, 13, 5, GREEN); return c
def icon_copy():
    c = canvas(); rect(c, 1, 1, 9, 10, GREY, fill=False); rect(c, 5, 5, 14, 14, BLUE, fill=False); return c
def icon_print():
    c = canvas(); rect(c, 4, 1, 11, 5, GREY, fill=False); rect(c, 1, 6, 14, 11, DARK); rect(c, 4, 10, 11, 14, WHITE)
    rect(c, 4, 10, 11, 14, GREY, fill=False); return c
def icon_settings():
    c = canvas(); import math
    for a in range(0, 360, 4):
        r = math.radians(a)
        rad = 6 if (a // 45) % 2 == 0 else 5
        for k in range(3, rad + 1):
            put(c, round(7.5 + k * math.cos(r)), round(7.5 + k * math.sin(r)), GREY)
    return c

def ico_bytes(c):
    # 32-bit BMP inside an ICO: bottom-up BGRA rows followed by an AND mask.
    xor = b''.join(bytes((b, g, r, a)) for row in reversed(c) for (r, g, b, a) in row)
    mask_row = b'\x00' * 4
    andmask = mask_row * S
    header = struct.pack('<IiiHHIIiiII', 40, S, S * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    img = header + xor + andmask
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', S, S, 0, 0, 1, 32, len(img), 22) + img

def png_bytes(c):
    raw = b''.join(b'\x00' + b''.join(bytes(px) for px in row) for row in c)
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', S, S, 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))

out = sys.argv[1] if len(sys.argv) > 1 else '.'
os.makedirs(out, exist_ok=True)
for name, fn in [('minimize', icon_minimize), ('maximize', icon_maximize), ('delete', icon_delete),
                 ('add', icon_add), ('edit', icon_edit), ('refresh', icon_refresh),
                 ('copy', icon_copy), ('print', icon_print)]:
    with open(os.path.join(out, name + '.ico'), 'wb') as f:
        f.write(ico_bytes(fn()))
with open(os.path.join(out, 'settings.png'), 'wb') as f:
    f.write(png_bytes(icon_settings()))
