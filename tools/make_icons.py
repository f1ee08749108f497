#!/usr/bin/env python3
"""Makes the icons from a frame of the capture: packaging/icons/particles-N.png for the hicolor
sizes, and packaging/particles.ico for Windows (the same images, PNG-compressed, 256 px included).

    make_icons.py FRAME.png OUTPUT-DIRECTORY ICO

The frame is the scene blended additively onto black, so each pixel is its colour already
multiplied by its coverage: the coverage is the brightest channel, and the colour that colour
divided by it. Scaling averages those premultiplied values over each output pixel's area, so that
the sprites' glow fades into transparency at every size. Python alone, byte for byte the same
output on every machine for the same frame.
"""
import struct
import sys
import zlib

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# The square of the 1024 x 768 frame that holds the spray (left) and the flame (right).
CROP_X, CROP_Y, CROP_SIZE = 264, 136, 400


def read_png(path):
    """The pixels of an 8-bit RGB, non-interlaced PNG (the capture's) as rows of bytes."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"make_icons: {path} is not a PNG")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if (depth, colour, interlace) != (8, 2, 0):
                sys.exit(f"make_icons: {path} is not 8-bit RGB without interlacing")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride, rows, previous = zlib.decompress(idat), width * 3, [], bytearray(width * 3)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - 3] if i >= 3 else 0
            up, corner = previous[i], previous[i - 3] if i >= 3 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(line)
        previous = line
    return width, height, rows


def weights(source, size):
    """For each of size output cells, the source cells it covers and by how much."""
    scale, result = source / size, []
    for i in range(size):
        start, end, cells = i * scale, (i + 1) * scale, []
        for j in range(int(start), min(source, int(end) + 1)):
            overlap = min(end, j + 1) - max(start, j)
            if overlap > 1e-9:
                cells.append((j, overlap / scale))
        result.append(cells)
    return result


def icon(premultiplied, size):
    """The size x size RGBA image of the premultiplied (r, g, b, a) square, area-averaged."""
    table = weights(CROP_SIZE, size)
    pixels = bytearray()
    for row in table:
        for column in table:
            total = [0.0] * 4
            for y, wy in row:
                for x, wx in column:
                    pixel = premultiplied[y][x]
                    for c in range(4):
                        total[c] += pixel[c] * wx * wy
            alpha = total[3]
            colour = [min(255, round(255 * v / alpha)) if alpha > 0 else 0 for v in total[:3]]
            pixels += bytes(colour + [round(alpha)])
    return pixels


def png(size, pixels):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    stride = size * 4
    raw = b"".join(b"\0" + pixels[y * stride:(y + 1) * stride] for y in range(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(images):
    """An icon file of PNG images; a directory entry's width and height byte is 0 for 256."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset, entries, bodies = 6 + 16 * len(images), b"", b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        bodies += data
        offset += len(data)
    return header + entries + bodies


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: make_icons.py FRAME.png OUTPUT-DIRECTORY ICO")
    width, height, rows = read_png(sys.argv[1])
    if (width, height) != (1024, 768):
        sys.exit(f"make_icons: the frame is {width} x {height}, not 1024 x 768")
    square = []
    for y in range(CROP_Y, CROP_Y + CROP_SIZE):
        line = rows[y]
        square.append([(line[3 * x], line[3 * x + 1], line[3 * x + 2],
                        max(line[3 * x:3 * x + 3])) for x in range(CROP_X, CROP_X + CROP_SIZE)])
    images = []
    for size in SIZES:
        data = png(size, icon(square, size))
        with open(f"{sys.argv[2]}/particles-{size}.png", "wb") as out:
            out.write(data)
        images.append((size, data))
    # Explorer's sizes, largest first.
    with open(sys.argv[3], "wb") as out:
        out.write(ico([image for image in reversed(images) if image[0] in (16, 24, 32, 48, 64, 128, 256)]))


main()
