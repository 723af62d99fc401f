#!/usr/bin/env python3
"""Draws the installer's two images and writes them next to this script:

  banner.bmp       the 120 x 260 portrait banner of the main window and the folder picker:
                   "Tarvik", "update 2" and "V2.1" over an aerial view of polders, ditches,
                   a lake and a dyke road (drawn with ImageMagick's convert, 256 colours)
  icon_image.bin   the program icon's image as an RT_ICON resource: 32 x 32 pixels,
                   16 colours (a header, the palette, the colour bits and the mask)
  icon_group.bin   the RT_GROUP_ICON resource that names that image as icon 30001

The results are committed; run this again only to change the pictures.
"""

import os
import random
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))

WIDTH, HEIGHT = 120, 260
ICON_SIZE = 32
ICON_RESOURCE_NUMBER = 30001

# --- The banner ------------------------------------------------------------------------------

FIELD_COLOURS = ["#5f9e3a", "#78b04a", "#8cbf5a", "#4f8a32", "#b8c96a", "#d4c072", "#6aa646",
                 "#9fcf6b", "#a7b25c"]
DITCH = "#2f6f9f"
WATER = "#2a5d8c"


def polder_block(rng, x0, y0, x1, y1, horizontal):
    """Long narrow parcels separated by one-pixel ditches."""
    commands = []
    if horizontal:
        y = y0
        while y < y1:
            depth = rng.choice([5, 6, 7, 8])
            commands.append(f"fill {rng.choice(FIELD_COLOURS)} rectangle {x0},{y} {x1},{y + depth - 1}")
            commands.append(f"fill {DITCH} rectangle {x0},{y + depth - 1} {x1},{y + depth - 1}")
            y += depth
    else:
        x = x0
        while x < x1:
            width = rng.choice([5, 6, 7, 9])
            commands.append(f"fill {rng.choice(FIELD_COLOURS)} rectangle {x},{y0} {x + width - 1},{y1}")
            commands.append(f"fill {DITCH} rectangle {x + width - 1},{y0} {x + width - 1},{y1}")
            x += width
    return commands


def banner_commands():
    rng = random.Random(2002)
    draw = []
    draw += polder_block(rng, 0, 0, 59, 95, horizontal=False)
    draw += polder_block(rng, 60, 0, 119, 95, horizontal=True)
    draw += polder_block(rng, 0, 96, 119, 175, horizontal=True)
    draw += polder_block(rng, 0, 176, 70, 259, horizontal=False)
    draw += polder_block(rng, 71, 176, 119, 259, horizontal=True)
    # A broad canal across the land, a lake with its reed edge, a dyke road with a farm.
    draw += [
        f"stroke {WATER} stroke-width 5 line -5,150 125,118",
        "stroke none",
        "fill #7fae52 ellipse 30,222 26,17 0,360",
        f"fill {WATER} ellipse 30,222 23,14 0,360",
        "fill #3f77a8 ellipse 24,218 9,4 0,360",
        "stroke #c9b98a stroke-width 3 line 60,0 60,260",
        "stroke none",
        "fill #9a3b2a rectangle 64,60 70,65",
        "fill #6e2a1e rectangle 64,60 70,61",
        "fill #9a3b2a rectangle 50,196 55,200",
    ]
    return draw


def draw_banner():
    target = os.path.join(HERE, "banner.bmp")
    command = ["convert", "-size", f"{WIDTH}x{HEIGHT}", "xc:#78b04a"]
    for primitive in banner_commands():
        command += ["-draw", primitive]
    # A light band behind each text keeps it readable over the fields.
    for top, bottom in [(8, 44), (104, 128), (196, 246)]:
        command += ["-fill", "#ffffff60", "-draw", f"rectangle 0,{top} 119,{bottom}"]
    texts = [
        ("DejaVu-Sans-Bold", 27, "Tarvik", 0, -103, "#ffffff"),
        ("DejaVu-Sans-Bold", 16, "update 2", 0, -14, "#ffe14a"),
        ("DejaVu-Serif-Bold", 34, "V2.1", 0, 91, "#ffffff"),
    ]
    for font, size, text, dx, dy, colour in texts:
        command += ["-font", font, "-pointsize", str(size), "-gravity", "center",
                    "-stroke", "#1b2f4a", "-strokewidth", "3", "-fill", "#1b2f4a",
                    "-annotate", f"+{dx}{dy:+d}", text,
                    "-stroke", "none", "-fill", colour, "-annotate", f"+{dx}{dy:+d}", text]
    command += ["-gravity", "northwest", "-fill", "none", "-stroke", "#1b2f4a",
                "-strokewidth", "1", "-draw", f"rectangle 0,0 {WIDTH - 1},{HEIGHT - 1}"]
    command += ["-alpha", "off", "-colors", "256", "-type", "Palette", "-compress", "none", f"BMP3:{target}"]
    subprocess.run(command, check=True)


# --- The icon --------------------------------------------------------------------------------

# The standard 16-colour palette, in RGB.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
K, DARK_GREEN, OLIVE, NAVY, TEAL, SILVER, GREEN, YELLOW, BLUE, WHITE = 0, 2, 3, 4, 6, 7, 10, 11, 12, 15

# A "T" over a "2", drawn on a 32 x 32 grid: '#' white, '+' yellow, '.' nothing.
GLYPHS = [
    "................................",
    "................................",
    "..####################..........",
    "..####################..........",
    "..####################..........",
    "..........######................",
    "..........######................",
    "..........######................",
    "..........######................",
    "..........######................",
    "..........######................",
    "..........######................",
    "..........######................",
    "..........######......+++++++...",
    "..........######.....+++++++++..",
    "..........######.....+++...+++..",
    "..........######...........+++..",
    "..........######..........+++...",
    "..........######.........+++....",
    "..........######........+++.....",
    "..........######.......+++......",
    "..........######......+++.......",
    "..........######.....+++++++++..",
    "..........######.....+++++++++..",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
    "................................",
]


def icon_pixels():
    """Rows from the top; each pixel a palette index."""
    # Polder strips (green and olive) with teal ditches, a navy canal near the bottom.
    rows = []
    for y in range(ICON_SIZE):
        row = []
        for x in range(ICON_SIZE):
            if y >= 27 and y <= 29:
                colour = NAVY if y != 28 else BLUE
            elif x % 6 == 5:
                colour = TEAL
            else:
                colour = [GREEN, DARK_GREEN, OLIVE, DARK_GREEN, GREEN, OLIVE][(x // 6) % 6]
            row.append(colour)
        rows.append(row)
    # The glyphs with a black outline around every lit pixel.
    lit = {(x, y): GLYPHS[y][x] for y in range(ICON_SIZE) for x in range(ICON_SIZE)
           if GLYPHS[y][x] != "."}
    for (x, y) in lit:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                nx, ny = x + dx, y + dy
                if 0 <= nx < ICON_SIZE and 0 <= ny < ICON_SIZE and (nx, ny) not in lit:
                    rows[ny][nx] = K
    for (x, y), mark in lit.items():
        rows[y][x] = WHITE if mark == "#" else YELLOW
    return rows


def icon_image():
    """BITMAPINFOHEADER (height doubled for colour bits and mask), palette, bits, mask."""
    colour_row_bytes = ICON_SIZE // 2
    mask_row_bytes = 4
    size_image = (colour_row_bytes + mask_row_bytes) * ICON_SIZE
    header = struct.pack("<IiiHHIIiiII", 40, ICON_SIZE, ICON_SIZE * 2, 1, 4, 0, size_image, 0, 0,
                         0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    rows = icon_pixels()
    colour_bits = b""
    for row in reversed(rows):  # bottom-up
        colour_bits += bytes((row[x] << 4) | row[x + 1] for x in range(0, ICON_SIZE, 2))
    mask_bits = bytes(mask_row_bytes * ICON_SIZE)  # every pixel opaque
    return header + palette + colour_bits + mask_bits


def icon_group(image_size):
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHIH", ICON_SIZE, ICON_SIZE, 16, 0, 1, 4, image_size,
                        ICON_RESOURCE_NUMBER)
    return directory + entry


def write_icon():
    image = icon_image()
    with open(os.path.join(HERE, "icon_image.bin"), "wb") as file:
        file.write(image)
    with open(os.path.join(HERE, "icon_group.bin"), "wb") as file:
        file.write(icon_group(len(image)))


if __name__ == "__main__":
    draw_banner()
    write_icon()
