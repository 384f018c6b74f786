#!/usr/bin/env python3
"""Compares part of an X window with a PNG picture, pixel by pixel.

    x11_window_pixels.py WINDOW-ID X Y WIDTH HEIGHT EXPECTED.png [SAVED.png [INSET]]

Reads the window's pixels through Xlib (DISPLAY), writes them to SAVED.png when given,
and exits 1, saying how many pixels differ and where, when any does. INSET pixels at
each edge are left out (a viewer with the keyboard focus frames itself)."""
import ctypes
import ctypes.util
import sys

from PIL import Image, ImageChops


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def window_pixels(window, x, y, width, height):
    xlib = ctypes.CDLL(ctypes.util.find_library("X11"))
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XDestroyImage = None  # a macro; the image is freed with the process
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("no display")
    image = xlib.XGetImage(display, window, x, y, width, height, 0xFFFFFFFF, 2)  # ZPixmap
    if not image or image.contents.bits_per_pixel != 32:
        sys.exit("cannot read the window's pixels")
    data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)
    return Image.frombuffer("RGB", (width, height), data, "raw", "BGRX",
                            image.contents.bytes_per_line, 1)


def main():
    window, x, y, width, height = (int(v, 0) for v in sys.argv[1:6])
    shown = window_pixels(window, x, y, width, height)
    if len(sys.argv) > 7:
        shown.save(sys.argv[7])
    expected = Image.open(sys.argv[6]).convert("RGB")
    if expected.size != shown.size:
        sys.exit(f"sizes differ: window {shown.size}, expected {expected.size}")
    inset = int(sys.argv[8]) if len(sys.argv) > 8 else 0
    inner = (inset, inset, width - inset, height - inset)
    diff = ImageChops.difference(shown.crop(inner), expected.crop(inner))
    box = diff.getbbox()
    if box:
        count = sum(1 for p in diff.getdata() if p != (0, 0, 0))
        sys.exit(f"{count} pixels differ, within {box}")
    print(f"the window's {width} x {height} pixels match (inset {inset})")


if __name__ == "__main__":
    main()
