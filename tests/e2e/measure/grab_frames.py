#!/usr/bin/env python3
"""Grabs the X root window back to back, faster than `import` (about a second per shot
at 1920x1080 here), so short animations can be caught: grab_frames.py <out-prefix>
<count> [<interval-ms>]. Writes <out-prefix>-<n>.png through ImageMagick afterwards."""
import ctypes
import os
import subprocess
import sys
import time

ZPixmap = 2
AllPlanes = ctypes.c_ulong(0xFFFFFFFF)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def main():
    prefix, count = sys.argv[1], int(sys.argv[2])
    interval = int(sys.argv[3]) / 1000.0 if len(sys.argv) > 3 else 0.0
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XGetImage.restype = ctypes.POINTER(XImage)
    x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                            ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("no display")
    root = x.XDefaultRootWindow(display)
    x.XDefaultScreenOfDisplay.restype = ctypes.c_void_p
    x.XDefaultScreenOfDisplay.argtypes = [ctypes.c_void_p]
    x.XWidthOfScreen.argtypes = [ctypes.c_void_p]
    x.XHeightOfScreen.argtypes = [ctypes.c_void_p]
    screen = x.XDefaultScreenOfDisplay(display)
    width, height = x.XWidthOfScreen(screen), x.XHeightOfScreen(screen)
    raws = []
    for n in range(1, count + 1):
        start = time.monotonic()
        image = x.XGetImage(display, root, 0, 0, width, height, AllPlanes, ZPixmap)
        img = image.contents
        raws.append((n, ctypes.string_at(img.data, img.bytes_per_line * img.height), img.bytes_per_line))
        x.XDestroyImage(image)
        rest = interval - (time.monotonic() - start)
        if rest > 0:
            time.sleep(rest)
    for n, data, stride in raws:
        raw = f"{prefix}-{n}.bgra"
        with open(raw, "wb") as f:
            f.write(data)
        subprocess.run(["convert", "-size", f"{stride // 4}x{height}", "-depth", "8", f"bgra:{raw}",
                        "-alpha", "off", "-crop", f"{width}x{height}+0+0", f"{prefix}-{n}.png"], check=True)
        os.remove(raw)


if __name__ == "__main__":
    main()
