#!/usr/bin/env python3
"""Fails when a file of the library includes a folder above its own layer.

The layers are listed bottom first in cmake/layers.txt; a file belongs to the longest listed
folder that holds it (toolkit/windows/x11/ belongs to toolkit/windows). A file may include its
own layer and the layers listed before it. Folders outside the list (apps, tests, bench, fuzz)
are not checked.

usage: check_layers.py [ROOT]   (ROOT defaults to the checkout this script lies in)
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def layer_of(path, layers):
    best = None
    for index, folder in enumerate(layers):
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(layers[best]):
                best = index
    return best


def check(root):
    with open(os.path.join(root, "cmake", "layers.txt")) as f:
        layers = [line.strip() for line in f if line.strip() and not line.startswith("#")]
    faults = []
    for top in sorted({layer.split("/")[0] for layer in layers}):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith((".h", ".c", ".cpp")):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root)
                own = layer_of(path, layers)
                if own is None:
                    continue
                with open(os.path.join(root, path), errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = layer_of(match.group(1), layers)
                        if target is not None and target > own:
                            faults.append(f"{path}:{number}: includes {match.group(1)}, from "
                                          f"{layers[target]}/, a layer above {layers[own]}/")
    return faults


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    faults = check(os.path.abspath(root))
    for fault in faults:
        print(fault, file=sys.stderr)
    if faults:
        print(f"{len(faults)} include(s) point up the layers of cmake/layers.txt", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
