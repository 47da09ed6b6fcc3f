#!/usr/bin/env python3
"""Draws the five 16 x 16 tab images of the editor tab set as PNG files.

The images are drawn here pixel by pixel, one character per pixel, so that they can be changed
and regenerated without an image editor: run this script in src/gui/resources/.
"""
import struct
import zlib

PALETTE = {
    '.': (0, 0, 0, 0),            # transparent
    'k': (40, 44, 52, 255),       # outline
    'g': (150, 156, 166, 255),    # grey
    'l': (214, 219, 226, 255),    # light grey
    'w': (255, 255, 255, 255),    # white
    'b': (38, 110, 200, 255),     # blue
    'c': (120, 180, 240, 255),    # light blue
    'G': (46, 160, 67, 255),      # green
    'y': (240, 190, 40, 255),     # yellow
    'r': (210, 60, 50, 255),      # red
}

IMAGES = {
    # image 0: the unit itself, a small box with its antenna
    'tab_device.png': [
        '................',
        '...........k....',
        '...........k....',
        '...........k....',
        '...........k....',
        '..kkkkkkkkkkkk..',
        '..kllllllllllk..',
        '..klkkkkkkkklk..',
        '..klkccccccklk..',
        '..klkccccccklk..',
        '..klkkkkkkkklk..',
        '..kllllllllllk..',
        '..klGlylrllllk..',
        '..kllllllllllk..',
        '..kkkkkkkkkkkk..',
        '................',
    ],
    # image 1: SMS, an envelope
    'tab_sms.png': [
        '................',
        '................',
        '................',
        '.kkkkkkkkkkkkkk.',
        '.kbwwwwwwwwwwbk.',
        '.kwbwwwwwwwwbwk.',
        '.kwwbwwwwwwbwwk.',
        '.kwwwbwwwwbwwwk.',
        '.kwwwwbwwbwwwwk.',
        '.kwwwbwbbwbwwwk.',
        '.kwwbwwwwwwbwwk.',
        '.kwbwwwwwwwwbwk.',
        '.kbwwwwwwwwwwbk.',
        '.kkkkkkkkkkkkkk.',
        '................',
        '................',
    ],
    # image 2: GPRS, an antenna with rising signal bars
    'tab_gprs.png': [
        '................',
        '.k.k.k..........',
        '.kkkkk......kk..',
        '..kkk.......kk..',
        '...k........kk..',
        '...k.....kk.kk..',
        '...k.....kk.kk..',
        '...k.....kk.kk..',
        '...k..kk.kk.kk..',
        '...k..kk.kk.kk..',
        '...k..kk.kk.kk..',
        '...kk.GG.GG.GG..',
        '...kk.GG.GG.GG..',
        '..kkk.GG.GG.GG..',
        '................',
        '................',
    ],
    # image 3: the serial port, a nine-pin connector
    'tab_serial.png': [
        '................',
        '................',
        '................',
        'kkkkkkkkkkkkkkkk',
        'kggggggggggggggk',
        'kgkkkkkkkkkkkkgk',
        'kgkllllllllllkgk',
        'kgkylylylylylkgk',
        'kggkllllllllkggk',
        'kggkylylylylkggk',
        'kgggkkkkkkkkgggk',
        'kggggggggggggggk',
        'kkkkkkkkkkkkkkkk',
        '................',
        '................',
        '................',
    ],
    # image 4: both channels, two arrows in opposite directions
    'tab_dual.png': [
        '................',
        '................',
        '.........b......',
        '.........bb.....',
        '..bbbbbbbbbb....',
        '..bbbbbbbbbbb...',
        '..bbbbbbbbbb....',
        '.........bb.....',
        '.....G...b......',
        '....GG..........',
        '...GGGGGGGGGG...',
        '..GGGGGGGGGGG...',
        '...GGGGGGGGGG...',
        '....GG..........',
        '.....G..........',
        '................',
    ],
}


def png(rows):
    raw = b''
    for row in rows:
        assert len(row) == 16, row
        raw += b'\x00' + b''.join(bytes(PALETTE[c]) for c in row)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    header = struct.pack('>IIBBBBB', 16, 16, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


for name, rows in IMAGES.items():
    with open(name, 'wb') as f:
        f.write(png(rows))
