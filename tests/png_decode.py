#!/usr/bin/env python3
"""Decodes an 8-bit RGB PNG file with nothing but Python's zlib, as a check
of the tool's own encoder: every chunk's CRC, IHDR, the zlib stream of the
IDAT chunks (zlib checks its Adler-32), each row unfiltered. Writes the
pixels, 3 bytes each, rows top down, to OUTPUT and prints "WIDTH HEIGHT
IMAGE_DATA ZLIB9": the size of the image data, and that of zlib's level 9
on the same filtered rows.

usage: png_decode.py PNG OUTPUT
       png_decode.py --inflate DEFLATE OUTPUT   (a raw deflate stream)
"""
import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def fail(message):
    print(message)
    sys.exit(1)


def chunks(data):
    if data[:8] != SIGNATURE:
        fail("no PNG signature")
    position = 8
    while position < len(data):
        if position + 12 > len(data):
            fail("a chunk cut short at %d" % position)
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        (crc,) = struct.unpack(">I", data[position + 8 + length:position + 12 + length])
        if len(body) != length or zlib.crc32(kind + body) != crc:
            fail("bad CRC or length in chunk %r" % kind)
        yield kind, body
        position += 12 + length


def paeth(left, above, above_left):
    estimate = left + above - above_left
    to_left, to_above = abs(estimate - left), abs(estimate - above)
    to_above_left = abs(estimate - above_left)
    if to_left <= to_above and to_left <= to_above_left:
        return left
    return above if to_above <= to_above_left else above_left


def unfilter(rows, width, height):
    stride = width * 3
    if len(rows) != height * (stride + 1):
        fail("image data of %d bytes for %d x %d" % (len(rows), width, height))
    pixels = bytearray()
    above = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, row = rows[start], bytearray(rows[start + 1:start + 1 + stride])
        if kind > 4:
            fail("filter type %d in row %d" % (kind, y))
        for x in range(stride):
            left = row[x - 3] if x >= 3 else 0
            above_left = above[x - 3] if x >= 3 else 0
            if kind == 1:
                row[x] = (row[x] + left) & 0xFF
            elif kind == 2:
                row[x] = (row[x] + above[x]) & 0xFF
            elif kind == 3:
                row[x] = (row[x] + (left + above[x]) // 2) & 0xFF
            elif kind == 4:
                row[x] = (row[x] + paeth(left, above[x], above_left)) & 0xFF
        pixels += row
        above = row
    return pixels


def decode(data):
    kinds, image_data, header = [], b"", None
    for kind, body in chunks(data):
        kinds.append(kind)
        if kind == b"IHDR":
            header = body
        elif kind == b"IDAT":
            image_data += body
    if not kinds or kinds[0] != b"IHDR" or kinds[-1] != b"IEND" or b"IDAT" not in kinds:
        fail("chunks out of order: %r" % kinds)
    width, height, depth, colour, method, filters, interlace = struct.unpack(">IIBBBBB", header)
    if (depth, colour, method, filters, interlace) != (8, 2, 0, 0, 0):
        fail("not 8-bit RGB without interlacing: %r" % (header,))
    decompressor = zlib.decompressobj()
    rows = decompressor.decompress(image_data) + decompressor.flush()
    if not decompressor.eof or decompressor.unused_data:
        fail("the zlib stream does not end with the image data")
    return width, height, unfilter(rows, width, height), len(image_data), len(zlib.compress(rows, 9))


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--inflate":
        with open(sys.argv[2], "rb") as stream:
            decompressor = zlib.decompressobj(-15)
            data = decompressor.decompress(stream.read()) + decompressor.flush()
        if not decompressor.eof or decompressor.unused_data:
            fail("the deflate stream does not end at its final block")
        with open(sys.argv[3], "wb") as output:
            output.write(data)
        print(len(data))
        return
    if len(sys.argv) != 3:
        fail(__doc__)
    with open(sys.argv[1], "rb") as png:
        width, height, pixels, compressed, zlib_compressed = decode(png.read())
    with open(sys.argv[2], "wb") as output:
        output.write(pixels)
    print(width, height, compressed, zlib_compressed)


main()
