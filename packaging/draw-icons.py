#!/usr/bin/env python3
"""Draws the desktop icons of both editions in the hicolor sizes.

The icon is the window icon's gauge (scripts/draw-images.py), drawn afresh at
each size rather than scaled, so small sizes stay sharp. The KALVERO_S
edition's gauge carries a blue accent instead of the red one. The output
is the same on every run; commit the PNG files with any change here.

    python3 packaging/draw-icons.py
"""

import importlib.util
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 24, 32, 48, 64, 128, 256)
EDITIONS = {
    "org.zelhart.ZelHart": None,  # the window icon's own colours
    "org.zelhart.KalveroS": "#1d6fd8",
}


def load_drawing():
    path = os.path.join(HERE, "..", "scripts", "draw-images.py")
    spec = importlib.util.spec_from_file_location("draw_images", path)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def main():
    drawing = load_drawing()
    own_accent = drawing.ACCENT
    for name, accent in EDITIONS.items():
        drawing.ACCENT = drawing.rgb(accent) if accent else own_accent
        for size in SIZES:
            folder = os.path.join(HERE, "icons", "%dx%d" % (size, size))
            os.makedirs(folder, exist_ok=True)
            path = os.path.join(folder, name + ".png")
            drawing.app_icon(size).save(path)
            print("%s %d bytes" % (path, os.path.getsize(path)))


if __name__ == "__main__":
    main()
