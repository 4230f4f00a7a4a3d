#!/usr/bin/env python3
"""Draws the program icon (a page with a padlock) and writes ui/scribecrypt.ico
with 16x16 and 32x32 images (32-bit colour with alpha). Run it after changing
the picture below; the .ico it writes is committed beside the resource script."""
import struct
from pathlib import Path

# One character a pixel: '.' transparent, see PALETTE for the others.
PICTURE = [
    "..kkkkkkkkkk....",
    "..kwwwwwwwwkk...",
    "..kwggggwwwkwk..",
    "..kwwwwwwwwkkkk.",
    "..kwggggggwwwwk.",
    "..kwwwwwwwwwwwk.",
    "..kwgggggggwwwk.",
    "..kwwwwwsssswwk.",
    "..kwgggsswwssgk.",
    "..kwwwwswwwwswk.",
    "..kwggsswwwwssk.",
    "..kwwwyyyyyyyyk.",
    "..kkkkyyyooyyyk.",
    "......yyyooyyy..",
    "......yyyyyyyy..",
    "......yyyyyyyy..",
]

PALETTE = {  # (blue, green, red, alpha)
    "k": (0x40, 0x40, 0x40, 0xFF),   # page outline
    "w": (0xFF, 0xFF, 0xFF, 0xFF),   # paper
    "g": (0xA0, 0xA0, 0xA0, 0xFF),   # lines of text
    "s": (0x70, 0x70, 0x78, 0xFF),   # shackle
    "y": (0x20, 0xB0, 0xE8, 0xFF),   # lock body
    "o": (0x10, 0x30, 0x50, 0xFF),   # keyhole
    ".": (0x00, 0x00, 0x00, 0x00),
}


def image(scale):
    size = 16 * scale
    rows = []
    for y in range(size):
        line = PICTURE[y // scale]
        rows.append(b"".join(struct.pack("4B", *PALETTE[line[x // scale]]) for x in range(size)))
    pixels = b"".join(reversed(rows))  # bottom-up, as in a bitmap
    mask_row = ((size + 31) // 32) * 4
    mask = b"".join(
        bytes(
            sum((1 << (7 - bit)) for bit in range(8)
                if x * 8 + bit < size and PICTURE[(size - 1 - y) // scale][(x * 8 + bit) // scale] == ".")
            for x in range(mask_row))
        for y in range(size))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return size, header + pixels + mask


def main():
    images = [image(1), image(2)]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset + len(data))
        data += blob
    target = Path(__file__).resolve().parent.parent / "ui" / "scribecrypt.ico"
    target.write_bytes(directory + entries + data)
    print(f"wrote {target}")


if __name__ == "__main__":
    main()
