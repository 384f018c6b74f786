"""Reading the PNG files the library writes: 8-bit RGB or RGBA, not interlaced."""

from __future__ import annotations

import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


def decode_png(data: bytes) -> tuple[bytes, int, int, str]:
    """Returns (pixels, width, height, mode), mode "RGB" or "RGBA", rows top first."""
    if not data.startswith(SIGNATURE):
        raise ValueError("not a PNG file")
    pos, width, height, mode, compressed = len(SIGNATURE), 0, 0, "", bytearray()
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError("only 8-bit RGB and RGBA PNG files without interlacing are read")
            mode = "RGB" if colour == 2 else "RGBA"
        elif kind == b"IDAT":
            compressed += body
        elif kind == b"IEND":
            break
    if not mode:
        raise ValueError("PNG file without a header")
    step = len(mode)
    stride = width * step
    raw = zlib.decompress(bytes(compressed))
    out = bytearray(stride * height)
    previous = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind = raw[start]
        row = bytearray(raw[start + 1:start + 1 + stride])
        _unfilter(kind, row, previous, step)
        out[y * stride:(y + 1) * stride] = row
        previous = row
    return bytes(out), width, height, mode


def _unfilter(kind: int, row: bytearray, prior: bytearray, step: int) -> None:
    n = len(row)
    if kind == 0:
        return
    if kind == 2:
        for i in range(n):
            row[i] = (row[i] + prior[i]) & 0xFF
        return
    for i in range(n):
        left = row[i - step] if i >= step else 0
        if kind == 1:
            row[i] = (row[i] + left) & 0xFF
        elif kind == 3:
            row[i] = (row[i] + ((left + prior[i]) >> 1)) & 0xFF
        elif kind == 4:
            up = prior[i]
            corner = prior[i - step] if i >= step else 0
            p = left + up - corner
            pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
            predictor = left if pa <= pb and pa <= pc else up if pb <= pc else corner
            row[i] = (row[i] + predictor) & 0xFF
        else:
            raise ValueError(f"unknown PNG filter {kind}")
